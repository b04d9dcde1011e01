// A send cut short on a real pseudo-terminal, by a signal or by the sensor going away:
// kelvo-cli says what reached the sensor and which backup puts it back, records the action
// as it ended, and the EEPROM is locked wherever the sensor still answers.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "cli/cli_harness.h"
#include "files/settings_file_format.h"
#include "files/file_writer.h"
#include "files/settings_file_io.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::Interrupt;
using test::runCli;
using test::VirtualSensorServer;

using InterruptedWriteCli = test::CliFolderTest;

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
        VirtualSensorServer server({"--platform", "6", "--realtime"});
        ASSERT_TRUE(server.running()) << server.startError();
        auto cli = [&](std::vector<std::string> args, const Interrupt& interrupt = {}) {
            args.insert(args.begin(), {"--port", server.port()});
            return runCli(args, 60s, dir.string(), interrupt);
        };
        ASSERT_EQ(cli({"save-file", "before"}).exitCode, 0);
        std::string error;
        const auto before = ReadFileBounded(file("before.Set"), kSetReaderLimit);
        ASSERT_TRUE(
            WriteFileAtomically(file("other.Set"), withEverySettingChanged(before.bytes), error));

        const Interrupt cut{"Saving to sensor", 400ms, c.signal ? SIGINT : SIGKILL,
                            c.signal ? 0 : server.pid()};
        const auto sent = cli({"send-file", file("other.Set")}, cut);
        EXPECT_EQ(sent.exitCode, 1) << sent.out << sent.err;
        EXPECT_TRUE(std::regex_search(sent.err, std::regex("[1-9][0-9]* of [0-9]+ bytes reached")))
            << sent.err;
        EXPECT_NE(sent.err.find(c.lock), std::string::npos) << sent.err;
        const std::smatch backup = [&] {
            std::smatch m;
            std::regex_search(sent.err, m,
                              std::regex("kelvo-cli send-file (backups/[^ ,]+\\.Set)"));
            return m;
        }();
        ASSERT_FALSE(backup.empty()) << sent.err;
        EXPECT_NE(lastLine(dir / "history.csv").find(c.result), std::string::npos);
        if (!c.signal) continue;

        // The sensor still answers: its EEPROM refuses a write that does not unlock it, and
        // sending the backup puts back every byte the cut-short send changed.
        EXPECT_EQ(cli({"write", "eeprom", "--address", "200", "--values", "1"}).exitCode, 1);
        ASSERT_EQ(cli({"send-file", backup[1].str()}).exitCode, 0);
        ASSERT_EQ(cli({"save-file", "after"}).exitCode, 0);
        EXPECT_EQ(runCli({"diff", file("before.Set"), file("after.Set")}, 20s).out,
                  "No bytes differ\n");
    }
}

}  // namespace
}  // namespace kelvo
