// kelvo-cli scan, diff and the service record, end to end against the virtual network.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "cli/cli_harness.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::runCli;
using test::VirtualSensorServer;
using Args = std::vector<std::string>;

constexpr auto kQuick = std::chrono::seconds(60);

using ServiceCli = test::CliFolderTest;

// One line per sensor: ID, platform, version, serial text; then the count.
const std::regex kScanOutput(
    "ID 1: platform 5, version 0, serial [0-9]+\n"
    "ID 2: platform 6, version 0, serial [0-9]+\n"
    "ID 3: platform 61, version 0, serial [0-9]+\n"
    "ID 4: platform 7, version 1, serial [0-9]+\n"
    "ID 5: platform 6, version 0, serial [0-9]+\n"
    "ID 6: platform 6, version 0, serial [0-9]+\n"
    "6 sensors found on IDs 0 to 29\n");

TEST_F(ServiceCli, ScanListsTheVirtualNetworkInProcessAndOnAPty) {
    const auto inProcess = runCli({"--port", "virtual:net", "scan"}, kQuick, dir.string());
    ASSERT_EQ(inProcess.exitCode, 0) << inProcess.err;
    EXPECT_TRUE(std::regex_match(inProcess.out, kScanOutput)) << inProcess.out;

    VirtualSensorServer server({"--net"});
    ASSERT_TRUE(server.running()) << server.startError();
    const auto onPty = runCli({"--port", server.port(), "scan"}, kQuick, dir.string());
    ASSERT_EQ(onPty.exitCode, 0) << onPty.err;
    EXPECT_EQ(onPty.out, inProcess.out);

    const auto single = runCli({"--port", "virtual:6", "scan"}, kQuick, dir.string());
    EXPECT_EQ(single.out, "0 sensors found on IDs 0 to 29\n") << "a lone sensor answers 30 only";
}

TEST_F(ServiceCli, AWriteLeavesABackupThatDiffersWhereTheWriteWentAndRestoresTheSensor) {
    VirtualSensorServer server({"--net"});
    ASSERT_TRUE(server.running()) << server.startError();
    const auto run = cliWith({"--port", server.port(), "--id", "2"}, kQuick);
    const auto written =
        run({"write", "eeprom", "--address", "20", "--values", "201,202", "--unlock", "--lock"});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    std::vector<fs::path> backups;
    for (const auto& e : fs::directory_iterator(dir / "backups")) backups.push_back(e.path());
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_TRUE(std::regex_match(backups[0].filename().string(),
                                 std::regex("[0-9]+_[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{6}\\.Set")))
        << backups[0];

    ASSERT_EQ(run({"save-file", "now"}).exitCode, 0);
    const auto diff = runCli({"diff", backups[0].string(), file("now.Set")}, kQuick);
    ASSERT_EQ(diff.exitCode, 0) << diff.err;
    // The backup holds what the write could change and what a load checks, nothing more.
    EXPECT_TRUE(std::regex_match(diff.out, std::regex("EEPROM 20: [0-9]+ -> 201\n"
                                                      "EEPROM 21: [0-9]+ -> 202\n"
                                                      "[0-9]+ bytes are in one file only\n"
                                                      "2 bytes differ\n")))
        << diff.out;

    std::ifstream history(dir / "history.csv");
    std::string header, line, extra;
    ASSERT_TRUE(std::getline(history, header) && std::getline(history, line));
    EXPECT_FALSE(std::getline(history, extra)) << "one action, one line";
    // What the write changed: 201 and 202 at EEPROM 20, the word 51658.
    EXPECT_TRUE(std::regex_search(line, std::regex(",6,0,kelvo-cli write,,EEPROM 20: [0-9]+,EEPROM "
                                                   "20: 51658,2,2," +
                                                   backups[0].filename().string() + ",done,")))
        << line;

    // Restoring is sending the backup: the sensor holds what it held before the write.
    const auto restored = run({"send-file", backups[0].string()});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    ASSERT_EQ(run({"save-file", "restored"}).exitCode, 0);
    const auto same = runCli({"diff", backups[0].string(), file("restored.Set")}, kQuick);
    EXPECT_TRUE(std::regex_match(same.out, std::regex("[0-9]+ bytes are in one file only\n"
                                                      "No bytes differ\n")))
        << same.out;

    const auto bad = runCli({"diff", file("now.Set"), file("none.Set")}, kQuick);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, "File not found " + file("none.Set") + "\n");
}

// The bytes each request of the communication log asked for: "MR(command address sum)"
// frames of the small EEPROM (word addresses) and of RAM (two halves).
std::vector<std::pair<bool, int>> bytesAskedFor(const std::string& log) {
    std::vector<std::pair<bool, int>> bytes;
    const std::regex frame("MR\\(([0-9]+) ([0-9]+) [0-9]+\\)");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), frame);
         it != std::sregex_iterator(); ++it) {
        const int command = std::stoi((*it)[1]);
        const int address = std::stoi((*it)[2]);
        const bool eeprom = command & 8;
        const int first = eeprom ? 2 * address : address + (command & 64 ? 128 : 0);
        for (int k = 0; k < (command & 7); ++k) bytes.push_back({eeprom, first + k});
    }
    return bytes;
}

TEST_F(ServiceCli, ASmallActionAsksForEachByteOnce) {
    copyDefinitions();
    const Args identify{"identify"};
    const Args ram{"write", "ram", "--address", "100", "--values", "1,2,3,4"};
    const Args eeprom{"write",    "eeprom", "--address", "100",
                      "--values", "1,2,3",  "--unlock",  "--lock"};
    // Platform 5 takes no EEPROM writes from outside.
    const std::pair<std::string, Args> runs[] = {{"virtual:5", identify},  {"virtual:6", identify},
                                                 {"virtual:61", identify}, {"virtual:5", ram},
                                                 {"virtual:6", ram},       {"virtual:6", eeprom},
                                                 {"virtual:61", ram},      {"virtual:61", eeprom}};
    for (const auto& [port, args] : runs) {
        fs::remove(dir / "ComLogg.txt");
        const std::string what = port + " " + args[0] + (args.size() > 1 ? " " + args[1] : "");
        const auto result = cliWith({"--port", port, "--log"}, kQuick)(args);
        ASSERT_EQ(result.exitCode, 0) << what << ": " << result.err;
        std::ifstream in(dir / "ComLogg.txt");
        const std::string log((std::istreambuf_iterator<char>(in)), {});
        std::set<std::pair<bool, int>> seen;
        for (const auto& byte : bytesAskedFor(log))
            EXPECT_TRUE(seen.insert(byte).second)
                << what << " asked twice for " << (byte.first ? "EEPROM " : "RAM ") << byte.second
                << "\n"
                << log;
    }
}

}  // namespace
}  // namespace kelvo
