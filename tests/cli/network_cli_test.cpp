// kelvo-cli apply and scan --csv against the virtual network, in process and on a pty with
// one sensor falling silent in the middle of its send.

#include <gtest/gtest.h>

#include <fstream>

#include "cli/cli_harness.h"

namespace kelvo::test {
namespace {

using Args = std::vector<std::string>;
using NetworkCli = CliFolderTest;
constexpr auto kQuick = std::chrono::seconds(60);
// Requests the sensor at ID 5 answers before it falls silent: its identification, reads
// and backup take 91, so this strikes two frames into its write.
constexpr const char* kSilentAfter = "93";

TEST_F(NetworkCli, ApplySendsToEachSensorAndReportsTheOneThatFailedWithItsWayBack) {
    VirtualSensorServer server({"--net", "--id", "5", "--silent-after", kSilentAfter});
    ASSERT_TRUE(server.running()) << server.startError();
    const auto run = cliWith({"--port", server.port()}, kQuick);
    // The site's settings: sensor 2's, with function 0 changed.
    ASSERT_EQ(run({"--id", "2", "write", "eeprom", "--address", "107", "--values", "1,2,3,4",
                 "--unlock", "--lock"})
                  .exitCode, 0);
    ASSERT_EQ(run({"--id", "2", "save-file", file("site.Set")}).exitCode, 0);

    const auto apply = run({"apply", file("site.Set"), "--ids", "2,3,5-6"});
    EXPECT_EQ(apply.exitCode, 1) << apply.err;
    const std::string lines = apply.out;
    EXPECT_EQ(lines.find("ID 2: sent and verified\n"
                         "ID 3: refused: This setfile can't be used on this sensor.\n"
                         "ID 5: failed: "),
              0u)
        << lines;
    EXPECT_NE(lines.find("reached the sensor"), std::string::npos) << lines;
    EXPECT_NE(lines.find("kelvo-cli send-file backups/"), std::string::npos) << lines;
    EXPECT_NE(lines.find("\nID 6: sent and verified\n"), std::string::npos) << lines;

    std::ifstream history(dir / "history.csv");
    int rows = 0;
    for (std::string line; std::getline(history, line);)
        rows += line.find("Send file to network site.Set") != std::string::npos;
    EXPECT_EQ(rows, 4) << "one row per sensor";
}

TEST_F(NetworkCli, BadIdListsAndMissingArgumentsAreRefusedBeforeTheLineIsUsed) {
    std::ofstream(file("site.Set")) << "x";
    const std::vector<std::pair<Args, std::string>> cases{
        {{"apply", file("site.Set"), "--ids", "1,,2"}, "--ids: '' is not a network ID"},
        {{"apply", file("site.Set"), "--ids", "4-3"}, "--ids: '4-3' is not a network ID"},
        {{"apply", file("site.Set"), "--ids", "1,1"}, "--ids: network ID 1 is named twice"},
        {{"apply", file("site.Set")}, "needs the sensors' network IDs"},
        {{"--id", "2", "apply", file("site.Set"), "--ids", "2"}, "not --id"},
        {{"apply", "--ids", "2"}, "takes one settings file"},
    };
    const auto onNetwork = cliWith({"--port", "virtual:net"}, kQuick);
    for (const auto& [args, message] : cases) {
        const auto result = onNetwork(args);
        EXPECT_EQ(result.exitCode, 2) << message;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
    const auto missing = onNetwork({"apply", file("none.Set"), "--ids", "2"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "File not found " + file("none.Set") + "\n");
}

TEST_F(NetworkCli, ScanCsvPrintsTheOverviewsColumns) {
    copyDefinitions();
    const auto scan = runCli({"--port", "virtual:net", "scan", "--csv"}, kQuick, dir.string());
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_EQ(scan.out.rfind("# Network overview of port virtual:net\n"
                             "ID,Platform,Version,Serial,Values,State\n"
                             "1,5,0,",
                             0),
              0u)
        << scan.out;
    EXPECT_EQ(std::count(scan.out.begin(), scan.out.end(), '\n'), 8);
    EXPECT_NE(scan.out.find(",answering\n"), std::string::npos);
}

}  // namespace
}  // namespace kelvo::test
