#include <gtest/gtest.h>

#include "cli/cli_harness.h"
#include "qt/qt_clock.h"
#include "qt/qt_event_pump.h"
#include "qt/selectable_port.h"

namespace kelvo {
namespace {

using test::runCli;
using test::VirtualSensorServer;

// The program's own port, clock and pump on a device path, talking raw bytes.
struct RealPort {
    explicit RealPort(const std::string& name) { port.setPortName(name); }

    Bytes receive(size_t count, int64_t timeoutMs = 1000) {
        const int64_t deadline = clock.tickMs() + timeoutMs;
        while (static_cast<size_t>(port.bytesWaiting()) < count && clock.tickMs() < deadline)
            pump.idle(deadline);
        return port.readAll();
    }
    Bytes exchange(uint8_t requestToSend, const Bytes& frame, size_t replySize) {
        port.readAll();
        port.write({requestToSend});
        const Bytes clearToSend = receive(1, 200);
        if (clearToSend != Bytes{223}) return clearToSend;
        port.write(frame);
        return receive(replySize);
    }

    qt::QtClock clock;
    qt::SelectablePort port{clock};
    qt::QtEventPump pump{clock, &port};
};

TEST(VirtualSensorCli, ServesOnAPseudoTerminalUntilTerminated) {
    VirtualSensorServer server({"--platform", "61", "--realtime"});
    ASSERT_TRUE(server.running()) << server.startError();
    EXPECT_EQ(server.port().rfind("/dev/", 0), 0u) << server.port();

    RealPort real(server.port());
    ASSERT_TRUE(real.port.open()) << real.port.errorString();
    // A pseudo-terminal has no DTR line; the port must shrug that off.
    real.port.setDtr(true);
    real.port.setDtr(false);
    EXPECT_TRUE(real.port.isOpen());
    EXPECT_EQ(real.exchange(254, {129, 65, 194}, 3), (Bytes{6, 214, 220}));
    real.port.close();
    // A second client finds the sensor as the first left it.
    ASSERT_TRUE(real.port.open()) << real.port.errorString();
    EXPECT_EQ(real.exchange(254, {129, 65, 194}, 3), (Bytes{6, 214, 220}));
    real.port.close();
    EXPECT_EQ(server.stop(), 0);
}

TEST(VirtualSensorCli, AnswersOnlyItsNetworkIdAndTheSingleSensorAddress) {
    VirtualSensorServer server({"--platform", "6", "--id", "5"});
    ASSERT_TRUE(server.running()) << server.startError();
    RealPort real(server.port());
    ASSERT_TRUE(real.port.open()) << real.port.errorString();
    EXPECT_EQ(real.exchange(229, {129, 65, 194}, 3).size(), 3u);
    EXPECT_EQ(real.exchange(254, {129, 65, 194}, 3).size(), 3u);
    EXPECT_EQ(real.exchange(225, {129, 65, 194}, 3), Bytes{});
}

TEST(VirtualSensorCli, AServerThatDiesClosesTheClientsPortWithAMessage) {
    VirtualSensorServer server({"--platform", "7"});
    ASSERT_TRUE(server.running()) << server.startError();
    RealPort real(server.port());
    ASSERT_TRUE(real.port.open()) << real.port.errorString();
    server.kill();
    real.receive(1, 300);
    EXPECT_FALSE(real.port.write({254}) && real.port.isOpen());
    EXPECT_FALSE(real.port.errorString().empty());
    EXPECT_FALSE(real.port.open());
}

TEST(PortsCli, ListsTheVirtualSensorsAfterTheSerialPorts) {
    const auto result = runCli({"ports"}, std::chrono::seconds(10));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* name : {"virtual:5\t", "virtual:6\t", "virtual:61\t", "virtual:7\t"})
        EXPECT_NE(result.out.find(name), std::string::npos) << name;
}

TEST(SelectablePort, VirtualNamesOpenABuiltInSensorThatKeepsItsMemory) {
    RealPort real("virtual:61");
    ASSERT_TRUE(real.port.open());
    EXPECT_EQ(real.exchange(254, {177, 169, 90}, 1), Bytes{6});  // unlock
    EXPECT_EQ(real.exchange(254, {10, 20, 1, 2, 33}, 1), Bytes{6});
    real.port.close();
    ASSERT_TRUE(real.port.open());
    EXPECT_EQ(real.exchange(254, {138, 20, 158}, 4), (Bytes{6, 1, 2, 9}));
    ASSERT_NE(real.port.virtualSensor(), nullptr);

    real.port.setPortName("virtual:12");
    EXPECT_FALSE(real.port.open());
    EXPECT_NE(real.port.errorString().find("virtual:12"), std::string::npos);
    real.port.setPortName("/dev/kelvo-no-such-port");
    EXPECT_FALSE(real.port.open());
    EXPECT_FALSE(real.port.errorString().empty());
}

}  // namespace
}  // namespace kelvo
