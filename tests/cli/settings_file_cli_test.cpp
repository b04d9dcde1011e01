// kelvo-cli inspect, save-file and send-file, end to end against virtual sensors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_harness.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::runCli;
using test::VirtualSensorServer;

constexpr auto kQuick = std::chrono::seconds(30);

using SettingsFileCli = test::CliFolderTest;

TEST_F(SettingsFileCli, SaveFileWritesEachPlatformsBlocks) {
    struct Case {
        std::string platform;
        std::string expected;
    };
    for (const Case& c : {Case{"5", "block at 17: type 1, length 240\n"},
                          Case{"6",
                               "block at 17: type 15, length 542\n"
                               "block at 563: type 10, length 512\n"},
                          Case{"61",
                               "block at 17: type 10, length 512\n"
                               "block at 533: type 15, length 542\n"}}) {
        const auto saved =
            runCli({"--port", "virtual:" + c.platform, "save-file", "p" + c.platform}, kQuick,
                   dir.string());
        ASSERT_EQ(saved.exitCode, 0) << c.platform << saved.err;
        EXPECT_EQ(saved.out, "Saved p" + c.platform + ".Set\n");
        const auto shown = runCli({"inspect", file("p" + c.platform + ".Set")}, kQuick);
        ASSERT_EQ(shown.exitCode, 0) << shown.err;
        EXPECT_NE(shown.out.find(c.platform == "5" ? "writer flag: 255" : "writer flag: 1"),
                  std::string::npos)
            << shown.out;
        EXPECT_NE(shown.out.find(c.expected), std::string::npos) << shown.out;
    }
}

TEST_F(SettingsFileCli, InspectRefusesADamagedFile) {
    ASSERT_EQ(runCli({"--port", "virtual:5", "save-file", "a"}, kQuick, dir.string()).exitCode, 0);
    {
        std::fstream f(file("a.Set"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(200);
        f.put('\x55');
    }
    const auto shown = runCli({"inspect", file("a.Set")}, kQuick);
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_EQ(shown.err.rfind("File is damaged " + file("a.Set") + "\n", 0), 0u) << shown.err;
    EXPECT_NE(shown.out.find("checksum: stored"), std::string::npos);

    const auto missing = runCli({"inspect", file("none.Set")}, kQuick);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "File not found " + file("none.Set") + "\n");
    EXPECT_EQ(runCli({"inspect"}, kQuick).exitCode, 2);
}

TEST_F(SettingsFileCli, SendFileRestoresASensorThroughARealPort) {
    VirtualSensorServer server({"--platform", "6"});
    ASSERT_TRUE(server.running()) << server.startError();
    const auto run = cliWith({"--port", server.port()}, kQuick);
    ASSERT_EQ(
        run({"write", "eeprom", "--address", "0", "--values", "90", "--unlock", "--lock"}).exitCode,
        0);
    const auto saved = run({"save-file", "s"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    ASSERT_EQ(
        run({"write", "eeprom", "--address", "0", "--values", "7", "--unlock", "--lock"}).exitCode,
        0);

    const auto sent = run({"send-file", file("s.Set")});
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.out, "Reading sensor\nSaving to sensor\nSent " + file("s.Set") + "\n");
    const auto back = run({"read", "eeprom", "--address", "0", "--count", "1"});
    EXPECT_EQ(back.out.substr(0, 8), "0000: 5A") << back.out;

    const auto missing = run({"send-file", file("none.Set")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "File not found " + file("none.Set") + "\n");
}

}  // namespace
}  // namespace kelvo
