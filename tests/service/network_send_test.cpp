// Commissioning a network on the virtual line: one file sent to many sensors, a sensor
// moved to another ID, and the overview's rows.

#include "service/network_send.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "files/platform_settings_file.h"
#include "model/platform_profile.h"
#include "service/network_id.h"
#include "service/network_overview.h"
#include "service/service_journal.h"
#include "support/test_context.h"
#include "virtualsensor/virtual_network.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using Outcome = NetworkSendResult::Outcome;

struct NetRig {
    NetRig() : t(&net), net(t.clock, virtualsensor::DemoNetwork()) {
        ctx().AppDir = dir.string();
        ctx().serviceRecorder = &journal;
    }
    Context& ctx() { return t.ctx; }
    uint8_t eeprom(int id, int address) { return net.sensorAt(id)->memory().eeprom[address]; }

    // The settings of the platform-6 sensor at ID 2 with function 0 and two base lines
    // changed, and its own ID in the file.
    std::string changedFile() {
        AddressNetworkSensor(ctx(), 2);
        EXPECT_TRUE(ReadSpans(ctx(), WholeImageReads(kPlatform6))) << ctx().ErrorText;
        for (int a : kChanged) ctx().EeImage[a] = static_cast<float>(a);
        const std::string path = (dir / "site.Set").string();
        EXPECT_TRUE(SavePlatformSettings(ctx(), path)) << ctx().ErrorText;
        return path;
    }
    std::vector<std::string> historyRows() {
        std::ifstream in(dir / "history.csv");
        std::vector<std::string> rows;
        for (std::string line; std::getline(in, line);) rows.push_back(line);
        if (!rows.empty()) rows.erase(rows.begin());  // the column names
        return rows;
    }

    static constexpr int kChanged[] = {107, 108, 109, 110, 139, 142};
    test::WorkingFolder folder{"kelvo-network"};
    const fs::path& dir = folder.path;
    test::TestContext t;
    virtualsensor::VirtualNetwork net;
    ServiceJournal journal;
};

TEST(NetworkSend, SendsToEachFittingSensorRefusesTheOtherAndRecordsEveryOne) {
    NetRig rig;
    const std::string file = rig.changedFile();
    rig.ctx().SensorAddress = 7;
    // The platform-6 sensors at 5 and 6 sit at their own IDs, whatever ID the file holds.
    const auto results = SendFileToNetwork(rig.ctx(), file, {2, 3, 5, 6});
    ASSERT_EQ(results.size(), 4u);
    for (size_t i : {0u, 2u, 3u})
        EXPECT_EQ(NetworkSendLine(results[i]),
                  "ID " + std::to_string(results[i].id) + ": sent and verified");
    EXPECT_EQ(NetworkSendLine(results[1]),
              "ID 3: refused: This setfile can't be used on this sensor.");
    for (int id : {2, 5, 6}) {
        for (int a : NetRig::kChanged) EXPECT_EQ(rig.eeprom(id, a), a) << id << " " << a;
        EXPECT_EQ(rig.eeprom(id, 32), id) << "keeps its network ID";
        EXPECT_EQ(rig.net.sensorAt(id)->networkId(), id);
    }
    const auto rows = rig.historyRows();
    ASSERT_EQ(rows.size(), 4u);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_NE(rows[i].find(i == 1 ? ",refused," : ",done,"), std::string::npos) << rows[i];
    EXPECT_EQ(rig.ctx().SensorAddress, 7);
    EXPECT_TRUE(rig.ctx().ErrorText.empty());
}

TEST(NetworkSend, ASensorFailingPartWayIsReportedWithItsWayBackAndTheOthersGoOn) {
    NetRig rig;
    const std::string file = rig.changedFile();
    // Learn how many requests a sensor takes before its first data frame, then strike the
    // sensor at 5 two frames into its write.
    auto* five = rig.net.sensorAt(5);
    auto* six = rig.net.sensorAt(6);
    six->clearRecord();
    ASSERT_EQ(SendFileToNetwork(rig.ctx(), file, {6})[0].outcome, Outcome::Verified);
    size_t firstWrite = 0;
    while (firstWrite < six->requests().size() &&
           (six->requests()[firstWrite][0] & 0xF8) != 8)  // an EEPROM write frame
        ++firstWrite;
    ASSERT_LT(firstWrite, six->requests().size());
    five->silentAfter(static_cast<int>(firstWrite) + 2);

    bool stop = false;
    NetworkSendHooks hooks;
    hooks.stopRequested = [&] { return stop; };
    hooks.done = [&](const NetworkSendResult& r) { stop = r.id == 3; };
    const auto results = SendFileToNetwork(rig.ctx(), file, {2, 5, 3, 6}, hooks);
    EXPECT_EQ(results[0].outcome, Outcome::Verified);
    ASSERT_EQ(results[1].outcome, Outcome::Failed) << results[1].detail;
    EXPECT_NE(results[1].detail.find("bytes reached the sensor"), std::string::npos);
    EXPECT_NE(results[1].detail.find("kelvo-cli send-file backups/"), std::string::npos)
        << results[1].detail;
    EXPECT_EQ(results[2].outcome, Outcome::Refused);
    EXPECT_EQ(NetworkSendLine(results[3]), "ID 6: not sent: stopped before it");
    const auto rows = rig.historyRows();
    ASSERT_EQ(rows.size(), 4u) << "the first send to 6, then one per sensor sent to";
    EXPECT_NE(rows[2].find(",failed,"), std::string::npos) << rows[2];
}

TEST(NetworkSend, IdListsAreReadStrictly) {
    const std::vector<std::pair<std::string, std::vector<int>>> good{
        {"1,3-4", {1, 3, 4}}, {"0", {0}}, {"29,2", {29, 2}}, {"5-5", {5}}};
    for (const auto& [text, ids] : good) {
        std::string error;
        EXPECT_EQ(ParseNetworkIds(text, error), ids) << text << ": " << error;
    }
    for (const char* bad : {"", "1,", ",1", "1,,2", "4-3", "30", "-1", "1-", "a", " 1", "1;2",
                            "1,1", "1-3,2", "+1", "1.0"}) {
        std::string error;
        EXPECT_FALSE(ParseNetworkIds(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(NetworkId, EachPlatformMovesToAFreeIdAndAnswersThereOnly) {
    NetRig rig;
    for (int from : {1, 2, 3, 4}) {
        const int to = from + 10;
        ASSERT_TRUE(ChangeNetworkId(rig.ctx(), from, to)) << from << ": " << rig.ctx().ErrorText;
        EXPECT_EQ(rig.ctx().SensorAddress, to);
        EXPECT_EQ(rig.net.sensorAt(to)->networkId(), to);
        EXPECT_EQ(rig.net.sensorAt(from), nullptr);
        EXPECT_TRUE(rig.net.sensorAt(to)->eepromLocked()) << "locked again";
    }
    EXPECT_EQ(rig.historyRows().size(), 4u);
    // Platform 5 takes its ID in one RAM byte (208, sent as 80), and nothing beside it.
    const auto& asked = rig.net.sensorAt(11)->requests();
    EXPECT_EQ(std::count_if(asked.begin(), asked.end(),
                            [](const Bytes& f) {
                                return f == Bytes{65, 80, 11, 156};
                            }),
              1);

    // An ID a sensor answers is refused before anything is sent.
    auto* six = rig.net.sensorAt(6);
    six->clearRecord();
    EXPECT_FALSE(ChangeNetworkId(rig.ctx(), 6, 5));
    EXPECT_EQ(rig.ctx().ErrorText,
              "Another sensor on the line answers network ID 5. Nothing was sent.");
    EXPECT_TRUE(six->requests().empty());
    EXPECT_EQ(NewNetworkIdProblem("6", 6), "The sensor already has network ID 6.");
    EXPECT_EQ(NewNetworkIdProblem("30", 6), "Network ID 30 is outside 0 to 29.");
}

TEST(NetworkOverview, RowsShowValuesAndWhenASensorFellSilent) {
    NetRig rig;
    std::vector<FoundSensor> found;
    ASSERT_TRUE(ScanNetwork(rig.ctx(), found));
    OverviewPoller poller;
    std::vector<OverviewRow> rows;
    for (const FoundSensor& s : found) {
        rows.push_back(OverviewRowOf(s));
        EXPECT_TRUE(poller.poll(rig.ctx(), rows.back())) << s.id << rig.ctx().ErrorText;
        EXPECT_FALSE(rows.back().values.empty()) << s.id;
    }
    // A second round asks only the measured words.
    auto* two = rig.net.sensorAt(2);
    two->clearRecord();
    ASSERT_TRUE(poller.poll(rig.ctx(), rows[1]));
    EXPECT_LE(two->requests().size(), 3u);

    two->silentFor(1000);
    rig.t.clock.advance(3600'000);
    EXPECT_FALSE(poller.poll(rig.ctx(), rows[1]));
    EXPECT_EQ(OverviewStateText(rows[1]),
              "not answering since " + ClockText(rig.ctx().clock.secondsOfDay()));
    const std::string csv = OverviewCsv("Network overview of port virtual:net", rows);
    EXPECT_EQ(csv.substr(0, csv.find('\n', csv.find('\n') + 1)),
              "# Network overview of port virtual:net\nID,Platform,Version,Serial,Values,State");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 8);
}

}  // namespace
}  // namespace kelvo
