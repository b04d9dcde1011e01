// kelvo-cli calibrate, end to end: the words it reports are the words the sensor keeps.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "cli/cli_harness.h"

namespace kelvo {
namespace {

using test::VirtualSensorServer;
using Args = std::vector<std::string>;

constexpr auto kQuick = std::chrono::seconds(30);

// The calibrations run in a folder of their own, so that the backups and history they leave
// stay out of the source tree.
using CalibrateCli = test::CliFolderTest;

struct Word {
    std::string memory;
    int address;
    int value;
};

std::vector<Word> wordsOf(const std::string& out) {
    std::vector<Word> words;
    std::istringstream lines(out);
    std::string line;
    const std::regex pattern(R"((EEPROM|RAM) (\d+): (\d+))");
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, m, pattern))
            words.push_back({m[1], std::stoi(m[2]), std::stoi(m[3])});
    }
    return words;
}

TEST_F(CalibrateCli, WordsWrittenStayInTheSensor) {
    struct Case {
        std::string platform;
        Args calibration;
        size_t words;
    };
    copyDefinitions();
    for (const Case& c : {Case{"6", {"co2-zero"}, 1}, Case{"6", {"co2-span", "1000"}, 17},
                          Case{"6", {"temp", "21.5"}, 17}, Case{"5", {"co2-other", "800"}, 1},
                          Case{"5", {"temp", "21.5"}, 1}, Case{"7", {"co2-span", "1000"}, 18},
                          Case{"7", {"o2-span", "20.9"}, 1}}) {
        SCOPED_TRACE(c.platform + " " + c.calibration[0]);
        // The sensor sits in the gas of its CO2 calibration.
        Args serve{"--platform", c.platform};
        if (c.calibration[0].rfind("co2-", 0) == 0)
            serve.insert(serve.end(), {"--gas", c.calibration.size() > 1 ? c.calibration[1] : "0"});
        VirtualSensorServer server(serve);
        ASSERT_TRUE(server.running()) << server.startError();
        const auto run = cliWith({"--port", server.port()}, kQuick);
        Args calibrate{"calibrate"};
        calibrate.insert(calibrate.end(), c.calibration.begin(), c.calibration.end());
        const auto calibrated = run(calibrate);
        ASSERT_EQ(calibrated.exitCode, 0) << calibrated.err;
        const auto words = wordsOf(calibrated.out);
        ASSERT_EQ(words.size(), c.words) << calibrated.out;
        for (const Word& w : words) {
            // The platform-5 zero reference is kept in the image until the next send.
            if (w.memory == "RAM" && w.address == 216) continue;
            const auto back = run({"read", w.memory == "RAM" ? "ram" : "eeprom", "--address",
                                   std::to_string(w.address), "--count", "2", "--json"});
            ASSERT_EQ(back.exitCode, 0) << back.err;
            const std::string a = std::to_string(w.address);
            const std::string b = std::to_string(w.address + 1);
            const std::string expected = "\"" + a + "\":" + std::to_string(w.value >> 8) + ",\"" +
                                         b + "\":" + std::to_string(w.value & 0xFF);
            EXPECT_NE(back.out.find(expected), std::string::npos) << back.out << " " << expected;
        }
    }
}

}  // namespace
}  // namespace kelvo
