// The file writer and the bounded reader against what an attacker, a full disk, a parallel
// run or a mistaken path does to them.
#include "files/file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <thread>

#include "common/id_byte.h"
#include "files/definition_file.h"
#include "files/settings_file.h"
#include "model/image_fill.h"
#include "service/backup.h"
#include "support/test_context.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvo {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileWriter : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kelvo-writer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

#ifndef _WIN32
TEST_F(FileWriter, PlantedLinksAndOddTargetsNeverRedirectAWrite) {
    const Bytes fresh{'n', 'e', 'w'};
    const std::string target = (dir / "out.Set").string();
    const fs::path victim = dir / "victim";
    struct Case {
        const char* what;
        std::function<void()> plant;
        std::function<bool(std::string&)> write;
        bool written;  // the target then holds the new bytes as a file of its own
    };
    const auto atomic = [&](std::string& e) { return WriteFileAtomically(target, fresh, e); };
    const auto newFile = [&](std::string& e) { return WriteNewFile(target, fresh, e); };
    const auto append = [&](std::string& e) { return AppendWhole(target, "new", "", e); };
    const auto linkTo = [&](const fs::path& to, const fs::path& at) {
        return [=] { fs::create_symlink(to, at); };
    };
    const Case cases[] = {
        {"a link at the old fixed temporary name", linkTo(victim, dir / "out.Set.saving"), atomic, true},
        {"the target is a link", linkTo(victim, target), atomic, true},
        {"a new file where a link is", linkTo(victim, target), newFile, false},
        {"a new file where a dangling link is", linkTo(dir / "made", target), newFile, false},
        {"an append through a link", linkTo(victim, target), append, false},
        {"an append to a FIFO nobody reads", [&] { ::mkfifo(target.c_str(), 0600); }, append, false},
        {"a file over a folder", [&] { fs::create_directory(target); }, atomic, false},
        {"a file in no folder", [&] {}, [&](std::string& e) {
             return WriteFileAtomically((dir / "none" / "x").string(), fresh, e); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(victim) << "precious";
        c.plant();
        std::string error;
        EXPECT_EQ(c.write(error), c.written) << error;
        EXPECT_EQ(error.empty(), c.written) << error;
        EXPECT_EQ(readText(victim), "precious");
        EXPECT_FALSE(fs::exists(dir / "made"));
        if (c.written) {
            EXPECT_FALSE(fs::is_symlink(target));
            EXPECT_EQ(readText(target), "new");
        }
        for (const auto& entry : fs::directory_iterator(dir))
            EXPECT_NE(entry.path().extension(), ".tmp") << "left behind: " << entry.path();
    }
}

// Hands the system only half of what it is given, as a disk that has just run full.
long long halfWrite(int fd, const char* data, size_t size) {
    return ::write(fd, data, size / 2);
}

TEST_F(FileWriter, AnAppendIsWholeOrTakenBack) {
    const std::string log = (dir / "history.csv").string();
    std::string error;
    ASSERT_TRUE(AppendWhole(log, "a,1\r\n", "h\r\n", error)) << error;
    EXPECT_FALSE(AppendWhole(log, "b,22222\r\n", "h\r\n", error, halfWrite));
    EXPECT_NE(error.find("4 of 9 bytes"), std::string::npos) << error;
    ASSERT_TRUE(AppendWhole(log, "c,3\r\n", "h\r\n", error)) << error;
    EXPECT_EQ(readText(log), "h\r\na,1\r\nc,3\r\n");

    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full is not writable here";
    error.clear();
    EXPECT_FALSE(AppendWhole("/dev/full", "row\n", "", error));
    EXPECT_EQ(error, std::generic_category().message(ENOSPC));
}
#endif

TEST_F(FileWriter, ParallelRunsGetABackupAndALineEach) {
    constexpr int kThreads = 8;
    constexpr int kEach = 5;
    const auto when = std::chrono::system_clock::from_time_t(1'800'000'000);
    std::vector<std::string> paths(kThreads * kEach);
    std::vector<std::thread> runs;
    for (int r = 0; r < kThreads; ++r) {
        runs.emplace_back([&, r] {
            test::TestContext t;
            t.ctx.AppDir = dir.string();
            test::loadMemory(t.ctx, *virtualsensor::FactoryImage(6, 0));
            t.ctx.EeLast = t.ctx.EeImage;
            t.ctx.RamLast = t.ctx.RamImage;
            for (int k = 0; k < kEach; ++k) {
                paths[r * kEach + k] = SaveBackup(t.ctx, "22231415", when).path;
                std::string error;
                AppendWhole((dir / "lines").string(), std::string(100, char('a' + r)) + "\n", "", error);
            }
        });
    }
    for (std::thread& run : runs) run.join();
    const std::set<std::string> distinct(paths.begin(), paths.end());
    EXPECT_EQ(distinct.size(), paths.size());
    EXPECT_EQ(distinct.count(""), 0u) << "a backup was refused";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / kBackupFolder), fs::directory_iterator()),
              kThreads * kEach);
    std::ifstream lines(dir / "lines");
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_EQ(line, std::string(100, line.at(0)));
    EXPECT_EQ(count, kThreads * kEach);
}

// What is not a settings or definition file, or far too large to be one, is refused before
// it is read, by a message naming it.
TEST_F(FileWriter, InputFilesThatAreNoFilesOrTooLargeAreRefusedByName) {
    fs::create_directory(dir / "folder.Set");
    struct Case {
        std::string path;
        std::string message;
    };
    std::vector<Case> cases = {
        {(dir / "none.Set").string(), "File not found " + (dir / "none.Set").string()},
        {(dir / "folder.Set").string(), (dir / "folder.Set").string() + " is not a regular file"},
    };
#ifndef _WIN32
    // Sparse, so they cost no disk; NTFS would allocate them.
    const std::string big = (dir / "big.Set").string();
    const std::string def = (dir / "DEF00231.PDT").string();
    for (const std::string& name : {big, def}) {
        std::ofstream(name).close();
        fs::resize_file(name, 3'000'000'000);
    }
    cases.push_back({big, "File is damaged " + big});
    ::mkfifo((dir / "fifo.Set").c_str(), 0600);  // nobody writes: a blocking open would hang
    cases.push_back({(dir / "fifo.Set").string(), (dir / "fifo.Set").string() + " is not a regular file"});
    cases.push_back({"/dev/zero", "/dev/zero is not a regular file"});
#endif
    test::TestContext t;
    t.ctx.AppDir = dir.string();
    for (const Case& c : cases) {
        t.ctx.ErrorText.clear();
        int type = 0;
        EXPECT_FALSE(ReadSetBlock(t.ctx, c.path, type, true, true));
        EXPECT_EQ(t.ctx.ErrorText, c.message);
    }
#ifndef _WIN32
    t.ctx.ErrorText.clear();
    test::setRam(t.ctx, kRamIdByte, 231);
    EXPECT_FALSE(LoadDefinition(t.ctx));
    EXPECT_EQ(t.ctx.ErrorText, def + " is too large for a definition file (over 64 KB), ");
#endif
}

}  // namespace
}  // namespace kelvo
