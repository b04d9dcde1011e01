// kelvo-cli refuses what it cannot do honestly: each refusal says why and leaves the sensor
// as it was. Served on a pty, so the sensor outlives the commands and can be read back.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "cli/cli_harness.h"
#include "files/settings_file_format.h"

namespace kelvo {
namespace {

using test::runCli;
using test::VirtualSensorServer;
using Args = std::vector<std::string>;

constexpr auto kQuick = std::chrono::seconds(30);

using CliRefusals = test::CliFolderTest;

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), {});
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A platform-6 file as Kelvo saves it, with its mask stretched over the serial number
// (EEPROM 170-171) and another serial there.
Bytes withForeignSerial(Bytes file) {
    const SetFileParse parsed = ParseSetFile(file);
    for (const SetFileBlock& b : parsed.layout.blocks) {
        const size_t data = b.offset + 4;
        if (b.type == kSetBlockMask)
            file[data + kSetMaskBlockPrefix + 170] = file[data + kSetMaskBlockPrefix + 171] = 255;
        if (b.type == kSetBlockEeprom) file[data + 170] = file[data + 171] = 0x42;
    }
    const Bytes blocks(file.begin() + kSetHeaderSize, file.end());
    return MakeSetFile(file[0], parsed.layout.blockCount, blocks);
}

TEST_F(CliRefusals, SayWhyAndLeaveTheSensorAsItWas) {
    const std::string outOfRange = "is out of range: the sensor takes ";
    const std::string notANumber = "\" is not a number. Nothing was sent to the sensor.\n";
    const std::string identity =
        " would change the sensor's identity: EEPROM 170-171 (serial "
        "number). Nothing was sent to the sensor.\n";
    writeBytes(file("empty.Set"), MakeSetFile(1, 0, Bytes(4, 0)));
    struct Row {
        Args args;
        int exitCode;
        std::string message;  // found in stderr
    };
    const std::map<std::string, std::vector<Row>> rows{
        {"6",
         {{{"calibrate"}, 2, "co2-span VALUE"},
          {{"calibrate", "co2-other"}, 2, "co2-span VALUE"},
          {{"calibrate", "co2-zero", "5"}, 2, "co2-span VALUE"},
          {{"calibrate", "bogus"}, 2, "co2-span VALUE"},
          {{"calibrate", "temp", "abc"}, 2, "\"abc" + notANumber},
          {{"calibrate", "temp", ""}, 2, "\"" + notANumber},
          {{"calibrate", "temp", "--"}, 2, "\"--" + notANumber},
          {{"calibrate", "co2-other", "=2+5"}, 2, "\"=2+5" + notANumber},
          {{"calibrate", "co2-other", "1e3"}, 2, "\"1e3" + notANumber},
          {{"calibrate", "co2-span", "1e26"}, 2, "\"1e26" + notANumber},
          {{"calibrate", "co2-span", "-5"}, 2, "\"-5\" " + outOfRange + "0 to "},
          {{"calibrate", "co2-span", "999999"}, 2, " ppm. Nothing was sent to the sensor.\n"},
          {{"calibrate", "temp", "1000"},
           2,
           "\xC2\xB0"
           "C. Nothing was sent to the sensor.\n"},
          {{"calibrate", "o2-zero"}, 1, "This sensor has no O2 calibration.\n"},
          {{"--id", " 5", "identify"}, 2, "--id must be a network ID from 0 to 29"},
          {{"save-file", ""}, 2, "save-file takes one file name"},
          {{"save-file", "sub/"}, 2, "save-file takes one file name"},
          {{"send-file", file("empty.Set")},
           1,
           "The settings file " + file("empty.Set") +
               " holds no settings. Nothing was sent to the sensor.\n"},
          {{"send-file", file("crafted.Set")}, 1, file("crafted.Set") + identity},
          {{"--port", "/dev/kelvo-no-such-port", "identify"},
           1,
           "This port is locked by other devise\nnot present\n"}}},
        {"7",
         {{{"calibrate", "o2-span", "-1"}, 2, "\"-1\" " + outOfRange + "0 to "},
          {{"calibrate", "co2-span", "40000"}, 2, outOfRange},
          {{"calibrate", "temp", "-4000"}, 2, outOfRange},
          {{"save-file", "p7"}, 1, "Cant save settings from this sensor\n"}}}};

    for (const auto& [platform, table] : rows) {
        VirtualSensorServer server({"--platform", platform});
        ASSERT_TRUE(server.running()) << server.startError();
        auto run = [&](Args args) {
            args.insert(args.begin(), {"--port", server.port()});
            return runCli(args, kQuick, dir.string());
        };
        auto memory = [&] {
            std::string all;
            const Args starts = platform == "7" ? Args{"0", "255", "510", "765"} : Args{"0", "257"};
            for (const std::string& at : starts)
                all += run({"read", "eeprom", "--address", at, "--count", "255"}).out;
            return all;  // RAM holds the measured values, which move by themselves
        };
        if (platform == "6") {
            ASSERT_EQ(run({"save-file", "own"}).exitCode, 0);
            writeBytes(file("crafted.Set"), withForeignSerial(readBytes(file("own.Set"))));
        }
        const std::string before = memory();
        for (const Row& row : table) {
            const auto r = run(row.args);
            EXPECT_EQ(r.exitCode, row.exitCode) << row.args.back() << r.err;
            EXPECT_NE(r.err.find(row.message), std::string::npos)
                << r.err << "\nwanted: " << row.message;
        }
        EXPECT_EQ(memory(), before) << platform;
    }
}

// The identity guard gives way to --force, and the sensor then takes the file's serial.
TEST_F(CliRefusals, ForceSendsAFileThatChangesTheSensorsIdentity) {
    VirtualSensorServer server({"--platform", "6"});
    ASSERT_TRUE(server.running()) << server.startError();
    auto run = [&](Args args) {
        args.insert(args.begin(), {"--port", server.port()});
        return runCli(args, kQuick, dir.string());
    };
    ASSERT_EQ(run({"save-file", "own"}).exitCode, 0);
    writeBytes(file("crafted.Set"), withForeignSerial(readBytes(file("own.Set"))));
    const auto sent = run({"send-file", file("crafted.Set"), "--force"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_NE(sent.err.find("EEPROM 170-171 (serial number). Use it anyway? Yes (--force)"),
              std::string::npos)
        << sent.err;
    const auto serial = run({"read", "eeprom", "--address", "170", "--count", "2", "--json"});
    EXPECT_NE(serial.out.find("\"170\":66,\"171\":66"), std::string::npos) << serial.out;
}

}  // namespace
}  // namespace kelvo
