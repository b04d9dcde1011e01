// kelvo-cli refuses what it cannot do honestly: each refusal says why and leaves the sensor
// as it was. A send cut short, by a signal or by the sensor going away, says what reached the
// sensor and which backup puts it back, records the action as it ended, and the EEPROM is
// locked wherever the sensor still answers. Served on a pty, so the sensor outlives the
// commands and can be read back.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "cli/cli_harness.h"
#include "files/file_writer.h"
#include "files/settings_file_format.h"
#include "files/settings_file_io.h"
#include "support/foreign_serial.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Args = std::vector<std::string>;
using CliRefusals = test::CliFolderTest;
using InterruptedWriteCli = test::CliFolderTest;

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
        const auto run = cliWith({"--port", server.port()}, 30s);
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

// The file with every setting it carries changed, the identity left as it is.
Bytes withEverySettingChanged(const Bytes& file) {
    const SetFileParse parsed = ParseSetFile(file);
    Bytes blocks;
    const uint8_t* mask = nullptr;
    for (const SetFileBlock& b : parsed.layout.blocks)
        if (b.type == kSetBlockMask) mask = file.data() + b.offset + 4 + kSetMaskBlockPrefix;
    for (const SetFileBlock& b : parsed.layout.blocks) {
        Bytes data(file.begin() + b.offset + 4, file.begin() + b.offset + 4 + b.length);
        if (b.type == kSetBlockEeprom)
            for (int a = 0; a < 512; ++a)
                if (mask && mask[a] == 255 && (a < 164 || a > 171)) data[a] ^= 0x11;
        const Bytes block = MakeSetBlock(b.type, data);
        blocks.insert(blocks.end(), block.begin(), block.end());
    }
    return MakeSetFile(file[0], parsed.layout.blockCount, blocks);
}

std::string lastLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    return last;
}

TEST_F(InterruptedWriteCli, StoppedOrCutOffSendsSayWhatReachedTheSensorAndTheWayBack) {
    struct Case {
        const char* name;
        bool signal;  // else the sensor goes away
        const char* result;
        const char* lock;
    };
    for (const Case& c : {Case{"a signal", true, ",interrupted,", "The EEPROM is locked."},
                          Case{"the sensor gone", false, ",failed,", "may still be unlocked"}}) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir / "backups");
        fs::remove(dir / "history.csv");
        test::VirtualSensorServer server({"--platform", "6", "--realtime"});
        ASSERT_TRUE(server.running()) << server.startError();
        const auto cli = cliWith({"--port", server.port()});
        ASSERT_EQ(cli({"save-file", "before"}).exitCode, 0);
        std::string error;
        const auto before = ReadFileBounded(file("before.Set"), kSetReaderLimit);
        ASSERT_TRUE(
            WriteFileAtomically(file("other.Set"), withEverySettingChanged(before.bytes), error));

        const test::Interrupt cut{"Saving to sensor", 400ms, c.signal ? SIGINT : SIGKILL,
                                  c.signal ? 0 : server.pid()};
        const auto sent = cli({"send-file", file("other.Set")}, cut);
        EXPECT_EQ(sent.exitCode, 1) << sent.out << sent.err;
        EXPECT_TRUE(std::regex_search(sent.err, std::regex("[1-9][0-9]* of [0-9]+ bytes reached")))
            << sent.err;
        EXPECT_NE(sent.err.find(c.lock), std::string::npos) << sent.err;
        std::smatch backup;
        ASSERT_TRUE(std::regex_search(sent.err, backup,
                                      std::regex("kelvo-cli send-file (backups/[^ ,]+\\.Set)")))
            << sent.err;
        EXPECT_NE(lastLine(dir / "history.csv").find(c.result), std::string::npos);
        if (!c.signal) continue;

        // The sensor still answers: its EEPROM refuses a write that does not unlock it, and
        // sending the backup puts back every byte the cut-short send changed.
        EXPECT_EQ(cli({"write", "eeprom", "--address", "200", "--values", "1"}).exitCode, 1);
        ASSERT_EQ(cli({"send-file", backup[1].str()}).exitCode, 0);
        ASSERT_EQ(cli({"save-file", "after"}).exitCode, 0);
        EXPECT_EQ(test::runCli({"diff", file("before.Set"), file("after.Set")}, 20s).out,
                  "No bytes differ\n");
    }
}

}  // namespace
}  // namespace kelvo
