// kelvo-cli read, write and command, end to end against a virtual sensor on a pty, and the
// usage errors of every command.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/cli_harness.h"

namespace kelvo {
namespace {

using test::runCli;
using test::VirtualSensorServer;
using Args = std::vector<std::string>;
using LinkCli = test::CliFolderTest;

constexpr auto kQuick = std::chrono::seconds(20);

TEST(CliUsage, BadArgumentsAreUsageErrorsWithAMessage) {
    const test::CliWith onSensor{{"--port", "virtual:61"}, {}, kQuick};
    for (const Args& args : {Args{"--port", "virtual:6", "identify", "extra"},
                             Args{"--port", "virtual:6", "values", "--every", "3"},
                             Args{"virtual-sensor", "--platform", "8"},
                             Args{"virtual-sensor", "--platform", "6", "--speed", "2"},
                             Args{"virtual-sensor", "--platform", "six"},
                             Args{"virtual-sensor", "--platform", "6", "--id", "31"},
                             Args{"read"},
                             Args{"read", "flash", "--address", "1", "--count", "1"},
                             Args{"read", "ram", "--address", "x", "--count", "1"},
                             Args{"read", "ram", "--address", "1", "--count", "0"},
                             Args{"read", "ram", "--address", "1", "--count", "256"},
                             Args{"read", "ram", "--address", "256", "--count", "1"},
                             Args{"read", "ram", "--address", "1"},
                             Args{"read", "ram", "--list", "8", "--address", "1", "--count", "1"},
                             Args{"read", "ram", "--list", "99999"},
                             Args{"read", "ram", "--count"},
                             Args{"write", "ram", "--address", "1", "--values", "1,300"},
                             Args{"write", "ram", "--address", "1", "--values", "1,,2"},
                             Args{"write", "ram", "--address", "1", "--values", "1.5"},
                             Args{"write", "ram", "--address", "1", "--values"},
                             Args{"write", "ram", "--values", "1"},
                             Args{"write", "ram", "--address", "255", "--values", "1,2"},
                             Args{"write", "eeprom", "--address", "0", "--values", "1", "--now"},
                             Args{"command"},
                             Args{"command", "6"},
                             Args{"command", "abc"},
                             Args{"command", "1", "2"}}) {
        // A served sensor takes no port; a command that names none is given one.
        const bool asIs = args[0] == "--port" || args[0] == "virtual-sensor";
        const auto result = asIs ? runCli(args, kQuick) : onSensor(args);
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_EQ(result.exitCode, 2) << line << result.err;
        EXPECT_FALSE(result.err.empty()) << line;
        EXPECT_TRUE(result.out.empty()) << line;
    }
}

TEST_F(LinkCli, WritesAndReadsBackThroughARealPort) {
    VirtualSensorServer server({"--platform", "61"});
    ASSERT_TRUE(server.running()) << server.startError();
    const auto run = cliWith({"--port", server.port()});

    auto id = run({"read", "ram", "--address", "65", "--count", "1", "--json"});
    ASSERT_EQ(id.exitCode, 0) << id.err;
    EXPECT_EQ(id.out, "{\"memory\":\"ram\",\"bytes\":{\"65\":214}}\n");

    auto write =
        run({"write", "eeprom", "--address", "100", "--values", "1,2", "--unlock", "--lock"});
    ASSERT_EQ(write.exitCode, 0) << write.err;
    auto back = run({"read", "eeprom", "--address", "100", "--count", "2"});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(back.out, "0060: -- -- -- -- 01 02 -- -- -- -- -- -- -- -- -- --\n");

    // Still locked: a write without unlocking is refused by the sensor.
    auto locked = run({"write", "eeprom", "--address", "100", "--values", "3,4"});
    EXPECT_EQ(locked.exitCode, 1);
    EXPECT_NE(locked.err.find("Can't save to sensor"), std::string::npos) << locked.err;

    EXPECT_EQ(run({"command", "5"}).exitCode, 0);
}

TEST_F(LinkCli, FailuresSayWhyOnStderr) {
    auto twa = runCli({"--port", "virtual:6", "command", "5"}, kQuick);
    EXPECT_EQ(twa.exitCode, 1);
    EXPECT_EQ(twa.err, "Can't reset TWA\n");
    // A port that cannot be opened: see the refusals' table.
}

TEST_F(LinkCli, LogOptionAppendsTheCommunicationLogInTheWorkingDirectory) {
    auto result =
        runCli({"--port", "virtual:61", "--log", "read", "ram", "--address", "65", "--count", "1"},
               kQuick, dir.string());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "0040: -- D6 -- -- -- -- -- -- -- -- -- -- -- -- -- --\n");
    std::ifstream in(dir / "ComLogg.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "READ(0 65 1 False)\r\n RTS(254) CTR(223) MR(129 65 194) DC(6 214 220)\r\n");
}

}  // namespace
}  // namespace kelvo
