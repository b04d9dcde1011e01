// kelvo-cli refuses what it cannot do honestly: each refusal says why and leaves the sensor
// as it was. Served on a pty, so the sensor outlives the commands and can be read back.
#include <gtest/gtest.h>

#include "cli/cli_harness.h"
#include "files/file_writer.h"
#include "files/settings_file_io.h"
#include "support/foreign_serial.h"

namespace kelvo {
namespace {

using Args = std::vector<std::string>;
using CliRefusals = test::CliFolderTest;

TEST_F(CliRefusals, SayWhyAndLeaveTheSensorAsItWasUnlessForced) {
    const std::string range = "is out of range: the sensor takes ";
    const std::string nan = "\" is not a number. Nothing was sent to the sensor.\n";
    const std::string usage = "co2-span VALUE";
    struct Row {
        Args args;
        int exitCode;
        std::string message;  // found in stderr
    };
    const std::map<std::string, std::vector<Row>> rows{
        {"6",
         {{{"calibrate"}, 2, usage},
          {{"calibrate", "co2-other"}, 2, usage},
          {{"calibrate", "co2-zero", "5"}, 2, usage},
          {{"calibrate", "temp", "abc"}, 2, "\"abc" + nan},
          {{"calibrate", "temp", ""}, 2, "\"" + nan},
          {{"calibrate", "temp", "--"}, 2, "\"--" + nan},
          {{"calibrate", "co2-other", "=2+5"}, 2, "\"=2+5" + nan},
          {{"calibrate", "co2-other", "1e3"}, 2, "\"1e3" + nan},
          {{"calibrate", "co2-span", "1e26"}, 2, "\"1e26" + nan},
          // Every range's ends are checked with the reference checks; here, that they reach.
          {{"calibrate", "co2-span", "-5"}, 2, "\"-5\" " + range + "0 to "},
          {{"calibrate", "o2-zero"}, 1, "This sensor has no O2 calibration.\n"},
          {{"calibrate", "co2-zero"}, 1, " ppm now, and the reference is 0 ppm: more than 300"},
          {{"calibrate", "temp", "150"},
           1,
           "reference is 150 \xC2\xB0"
           "C: more than 10"},
          {{"calibrate", "temp", "150"}, 1, "Nothing was sent; use --force to calibrate"},
          {{"check", "co2", "3000"}, 1, ""},
          {{"check", "co2", "abc"}, 2, "\"abc" + nan},
          {{"check", "o2", "20.9"}, 1, "This sensor measures no O2.\n"},
          {{"--id", " 5", "identify"}, 2, "--id must be a network ID from 0 to 29"},
          {{"save-file", ""}, 2, "save-file takes one file name"},
          {{"save-file", "sub/"}, 2, "save-file takes one file name"},
          {{"send-file", file("empty.Set")},
           1,
           file("empty.Set") + " holds no settings. Nothing was sent to the sensor.\n"},
          {{"send-file", file("crafted.Set")},
           1,
           file("crafted.Set") + " would change the sensor's identity: EEPROM 170-171 (serial "
                                 "number). Nothing was sent to the sensor.\n"},
          {{"--port", "/dev/kelvo-no-such-port", "identify"},
           1,
           "This port is locked by other devise\nnot present\n"}}},
        {"7",
         {{{"calibrate", "o2-span", "-1"}, 2, "\"-1\" " + range + "0 to "},
          {{"calibrate", "o2-zero"}, 1, "now, and the reference is 0 %: more than 1 %"},
          {{"save-file", "p7"}, 1, "Cant save settings from this sensor\n"}}}};

    std::string error;
    ASSERT_TRUE(WriteFileAtomically(file("empty.Set"), MakeSetFile(1, 0, Bytes(4, 0)), error));
    for (const auto& [platform, table] : rows) {
        test::VirtualSensorServer server({"--platform", platform});
        ASSERT_TRUE(server.running()) << server.startError();
        auto run = [&](Args args) {
            args.insert(args.begin(), {"--port", server.port()});
            return test::runCli(args, std::chrono::seconds(30), dir.string());
        };
        auto eeprom = [&] {  // RAM holds the measured values, which move by themselves
            std::string all;
            for (const char* at : {"0", "257", "510", "765"})
                all += run({"read", "eeprom", "--address", at, "--count", "255", "--json"}).out;
            return all;
        };
        if (platform == "6") {
            ASSERT_EQ(run({"save-file", "own"}).exitCode, 0);
            const Bytes own = ReadFileBounded(file("own.Set"), kSetReaderLimit).bytes;
            ASSERT_TRUE(
                WriteFileAtomically(file("crafted.Set"), test::withForeignSerial(own), error));
        }
        const std::string before = eeprom();
        for (const Row& row : table) {
            const auto r = run(row.args);
            EXPECT_EQ(r.exitCode, row.exitCode) << row.args.back() << r.err;
            EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err << row.message;
        }
        EXPECT_EQ(eeprom(), before) << platform;
        if (platform != "6") continue;
        // The identity guard gives way to --force, and the sensor takes the file's serial.
        const auto forced = run({"send-file", file("crafted.Set"), "--force"});
        EXPECT_EQ(forced.exitCode, 0) << forced.err;
        EXPECT_NE(forced.err.find("(serial number). Use it anyway? Yes (--force)"),
                  std::string::npos);
        const auto serial = run({"read", "eeprom", "--address", "170", "--count", "2", "--json"});
        EXPECT_NE(serial.out.find("\"170\":66,\"171\":66"), std::string::npos) << serial.out;
    }
}

}  // namespace
}  // namespace kelvo
