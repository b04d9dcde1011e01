// The virtual sensor network and the bus scan over it.

#include "service/bus_scan.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "link/sensor_link.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"
#include "support/test_context.h"
#include "support/virtual_sensor_rig.h"
#include "virtualsensor/virtual_network.h"

namespace kelvo {
namespace {

using virtualsensor::DemoNetwork;
using virtualsensor::VirtualNetwork;

struct NetworkRig {
    // The context keeps only the network's address until the network exists.
    NetworkRig() : t(&net), net(t.clock, DemoNetwork()) {}
    Context& ctx() { return t.ctx; }
    test::TestContext t;
    VirtualNetwork net;
};

// What a sensor of the platform says of itself when it is alone on its line.
std::string serialAlone(int platform, int version) {
    test::VirtualSensorRig rig(platform, version);
    return SerialText(rig.ctx());
}

TEST(BusScan, FindsEachSensorOfTheNetworkOnceWithWhoItIs) {
    NetworkRig rig;
    std::vector<int> asked;
    std::vector<FoundSensor> found;
    rig.ctx().SensorAddress = 7;
    ASSERT_TRUE(ScanNetwork(rig.ctx(), found, [&](int id) {
        asked.push_back(id);
        return true;
    })) << rig.ctx().ErrorText;
    EXPECT_EQ(asked.size(), 30u);
    EXPECT_EQ(asked.front(), 0);
    EXPECT_EQ(asked.back(), 29);
    ASSERT_EQ(found.size(), DemoNetwork().size());
    std::set<std::string> serials;
    for (size_t i = 0; i < found.size(); ++i) {
        const auto& member = DemoNetwork()[i];
        EXPECT_TRUE(serials.insert(found[i].serial).second) << "a serial of its own";
        // The first of each platform is as the factory made it; later ones count on.
        const bool first = i < 4;
        const std::string serial =
            first ? serialAlone(member.platform, member.version) : found[i].serial;
        EXPECT_FALSE(serial.empty());
        EXPECT_EQ(FoundSensorLine(found[i]), "ID " + std::to_string(member.id) + ": platform " +
                                                 std::to_string(member.platform) + ", version " +
                                                 std::to_string(member.version) + ", serial " +
                                                 serial);
    }
    EXPECT_EQ(rig.ctx().SensorAddress, 7) << "the link keeps its address";
    EXPECT_TRUE(rig.ctx().ErrorText.empty());
    EXPECT_FALSE(rig.net.isOpen());
}

TEST(BusScan, ACancelEndsTheScanWithWhatWasFound) {
    NetworkRig rig;
    std::vector<FoundSensor> found;
    ScanNetwork(rig.ctx(), found, [&](int id) {
        if (id == 3) cancel(rig.ctx());  // the Cancel button, between two IDs
        return true;
    });
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].id, 2);
    EXPECT_TRUE(isCancelled(rig.ctx()));
}

TEST(BusScan, FindsEverySensorThroughTheLinesFaults) {
    struct Fault {
        const char* name;
        int id;
        std::function<void(virtualsensor::VirtualSensor&)> apply;
    };
    const std::vector<Fault> faults{
        {"garbage before the handshake", 2, [](auto& s) { s.sendGarbage({0xE2, 7, 0xDF}); }},
        {"a corrupt checksum", 3, [](auto& s) { s.corruptChecksumOnce(); }},
        {"a clear-to-send late within the answer time", 2, [](auto& s) { s.answerLateBy(60, 1); }},
        {"a clear-to-send past the answer time, sensor last", 4,
         [](auto& s) { s.answerLateBy(150, 1); }},
        {"a clear-to-send past the answer time, sensor between", 2,
         [](auto& s) { s.answerLateBy(150, 1); }},
    };
    for (const Fault& fault : faults) {
        NetworkRig rig;
        std::vector<FoundSensor> found;
        ScanNetwork(rig.ctx(), found, [&](int id) {
            if (id == fault.id) fault.apply(*rig.net.sensorAt(id));
            return true;
        });
        std::vector<int> ids;
        for (const FoundSensor& s : found) ids.push_back(s.id);
        EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5, 6})) << fault.name;
        for (const FoundSensor& s : found) EXPECT_NE(s.platform, 0) << fault.name << " " << s.id;
    }
}

TEST(VirtualNetwork, EachSensorAnswersOnlyItsOwnIdAndFramesReachOnlyIt) {
    NetworkRig rig;
    Context& ctx = rig.ctx();
    // Nobody answers the single-sensor address on a network.
    EXPECT_EQ(GetPlatform(ctx), 0);
    ctx.ErrorText.clear();

    // Data bytes that look like other sensors' request-to-send bytes stay data.
    ctx.SensorAddress = 2;
    ASSERT_EQ(GetPlatform(ctx), kPlatform6) << ctx.ErrorText;
    for (auto& sensor : rig.net.sensors()) sensor->clearRecord();
    ASSERT_TRUE(SensorMemRead(ctx, 0, 100, 4, true, false)) << ctx.ErrorText;
    for (int k = 0; k < 4; ++k) ctx.EeImage[100 + k] = static_cast<float>(225 + k);
    ASSERT_TRUE(SensorMemWrite(ctx, {.span = {true, 0, 100, 4}, .unlock = true, .lock = true}))
        << ctx.ErrorText;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(rig.net.sensorAt(2)->memory().eeprom[100 + k], 225 + k);
    for (int id : {1, 3, 4}) EXPECT_EQ(rig.net.sensorAt(id)->handshakesAnswered(), 0) << id;

    ctx.SensorAddress = 4;
    SensorLinkInit(ctx, 4);
    EXPECT_EQ(GetPlatform(ctx), kPlatform7) << ctx.ErrorText;
}

}  // namespace
}  // namespace kelvo
