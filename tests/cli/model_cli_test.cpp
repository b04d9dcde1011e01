// kelvo-cli identify and values against virtual sensors served on a pseudo-terminal,
// through the real serial-port code.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <sstream>

#include "cli/cli_harness.h"

namespace kelvo {
namespace {

using test::runCli;
using test::VirtualSensorServer;

using ModelCli = test::CliFolderTest;

std::vector<std::vector<std::string>> rows(const std::string& text) {
    std::vector<std::vector<std::string>> result;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
        if (!line.empty() && line.back() == '\t') fields.push_back("");
        result.push_back(fields);
    }
    return result;
}

struct Case {
    std::string platform, version;
    int protocol, idByte;
    std::string serial;
    std::vector<std::string> names;  // channels in order
    std::vector<std::string> units;
};

TEST_F(ModelCli, IdentifyAndValuesOnEveryPlatform) {
    // Platform 6 shows its outputs first, named by product (223 swaps the first two).
    auto outputsFirst = [](const char* first, const char* second) {
        return std::vector<std::string>{first,   second,  "Temp", "RH",
                                        "Out 3", "Out 4", "CO2",  "Error"};
    };
    const std::vector<std::string> units6 = {"V", "V", "C", "%", "", "", "ppm", ""};
    const std::vector<Case> cases = {
        {"5", "0", 2, 231, "23101207", {"Temp", "CO2", "RH"}, {"C", "ppm", "%"}},
        {"5", "2", 1, 127, "12701209", {"Temp", "CO2", "RH"}, {"C", "ppm", "%"}},
        {"6", "0", 1, 222, "22231415", outputsFirst("Out 1", "Out 2"), units6},
        {"6", "3", 1, 223, "22331418", outputsFirst("Out 2", "Out 1"), units6},
        {"61", "0", 2, 214, "21427182", {"Temp", "CO2", "Ch 6"}, {"C", "%", "%"}},
        {"61", "1", 2, 215, "21527183", {"Temp", "CO2"}, {"C", "ppm"}},
        {"7", "2", 2, 33, "3370236", {"Temp", "CO2", "O2"}, {"C", "ppm", "%"}},
    };
    copyDefinitions();
    for (const Case& c : cases) {
        SCOPED_TRACE("platform " + c.platform + " version " + c.version);
        VirtualSensorServer server({"--platform", c.platform, "--version", c.version});
        ASSERT_TRUE(server.running()) << server.startError();
        const auto run = cliWith({"--port", server.port()});
        const auto identify = run({"identify"});
        EXPECT_EQ(identify.exitCode, 0) << identify.err;
        EXPECT_EQ(identify.out,
                  "platform: " + c.platform + "\nprotocol: " + std::to_string(c.protocol) +
                      "\nversion: " + c.version + "\nid-byte: " + std::to_string(c.idByte) +
                      "\nserial: " + c.serial + "\n");

        const auto values = run({"values"});
        EXPECT_EQ(values.exitCode, 0) << values.err;
        const auto table = rows(values.out);
        ASSERT_EQ(table.size(), c.names.size()) << values.out;
        for (size_t i = 0; i < table.size(); ++i) {
            ASSERT_EQ(table[i].size(), 3u) << values.out;
            EXPECT_EQ(table[i][0], c.names[i]);
            EXPECT_FALSE(table[i][1].empty());
            EXPECT_EQ(table[i][2], c.units[i]);
            if (c.units[i] == "ppm") {
                const double ppm = std::stod(table[i][1]);
                EXPECT_GT(ppm, 350);
                EXPECT_LT(ppm, 600);
            }
        }

        // The measurement log's format: the sensor, the header, one row of the same values.
        const auto csv = run({"values", "--csv"});
        EXPECT_EQ(csv.exitCode, 0) << csv.err;
        std::istringstream lines(csv.out);
        std::string comment, header, row, extra;
        std::getline(lines, comment);
        std::getline(lines, header);
        std::getline(lines, row);
        EXPECT_FALSE(std::getline(lines, extra)) << csv.out;
        EXPECT_EQ(comment.rfind("# ", 0), 0u) << comment;
        std::string expectedHeader = "time";
        for (size_t i = 0; i < c.names.size(); ++i)
            expectedHeader +=
                "," + c.names[i] + (c.units[i].empty() ? "" : " (" + c.units[i] + ")");
        EXPECT_EQ(header, expectedHeader);
        EXPECT_EQ(std::count(row.begin(), row.end(), ','), static_cast<long>(c.names.size()))
            << row;
        EXPECT_TRUE(
            std::regex_search(row, std::regex(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d,)")))
            << row;
    }
}

TEST_F(ModelCli, WatchRepeatsUntilStopped) {
    VirtualSensorServer server({"--platform", "7"});
    ASSERT_TRUE(server.running()) << server.startError();
    const auto watched =
        runCli({"--port", server.port(), "values", "--watch"}, std::chrono::milliseconds(5000));
    EXPECT_TRUE(watched.timedOut);
    // Every 2 s: a first block at once, then one at 2 s and one at 4 s.
    const auto table = rows(watched.out);
    EXPECT_GE(table.size(), 6u) << watched.out;
    EXPECT_LE(table.size(), 9u) << watched.out;
}

TEST_F(ModelCli, Platform5WithoutItsDefinitionFileSaysWhichFile) {
    VirtualSensorServer server({"--platform", "5"});
    ASSERT_TRUE(server.running()) << server.startError();
    const auto values = cliWith({"--port", server.port()})({"values"});
    EXPECT_EQ(values.exitCode, 1);
    EXPECT_EQ(values.err, "Can't find file: " + file("DEF00231.PDT") + ", \n");
    EXPECT_EQ(values.out, "");
}

}  // namespace
}  // namespace kelvo
