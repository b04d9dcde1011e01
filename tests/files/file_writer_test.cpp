// The file writer and the bounded reader against planted links, a full disk, parallel runs
// and paths that are no files.
#include "files/file_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/id_byte.h"
#include "files/definition_file.h"
#include "files/settings_file.h"
#include "model/image_fill.h"
#include "service/backup.h"
#include "support/test_context.h"
#ifndef _WIN32
#include <fcntl.h>
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

class FileWriter : public test::FolderTest {
protected:
    FileWriter() : FolderTest("kelvo-writer-") {}
};

TEST_F(FileWriter, ParallelRunsGetABackupEach) {
    std::vector<std::string> paths(40);
    std::vector<std::thread> runs;
    for (int r = 0; r < 8; ++r)
        runs.emplace_back([&, r] {
            const Bytes file(100, static_cast<uint8_t>(r));
            for (int k = r; k < 40; k += 8)  // all in one second: one name for all to claim
                paths[k] = SaveBackup(dir.string(), file, "22231415",
                                      std::chrono::system_clock::from_time_t(0))
                               .path;
        });
    for (std::thread& run : runs) run.join();
    EXPECT_EQ(std::count(paths.begin(), paths.end(), ""), 0) << "a backup was refused";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / kBackupFolder), {}), 40) << "one shared";
}

// Names are tried up to the 999th; with all of them taken the write is refused, and the
// temporary it wrote first is gone.
TEST_F(FileWriter, ANameIsClaimedAmongTheFirst999) {
    const auto nameFor = [&](int attempt) { return (dir / ("n" + std::to_string(attempt))).string(); };
    for (int n = 1; n < 999; ++n) std::ofstream(nameFor(n)).put('x');
    std::string error;
    EXPECT_EQ(WriteUnderFreeName(nameFor, Bytes{7}, error), nameFor(999));
    EXPECT_EQ(readText(nameFor(999)), "\x07");
    EXPECT_EQ(WriteUnderFreeName(nameFor, Bytes{8}, error), "");
    EXPECT_EQ(error, std::make_error_code(std::errc::file_exists).message());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 999) << "a temporary was left";
}

#ifndef _WIN32
TEST_F(FileWriter, PlantedLinksAndOddTargetsNeverRedirectAWrite) {
    const std::string target = (dir / "out.Set").string(), victim = (dir / "victim").string();
    using Write = std::function<bool(std::string&)>;
    const Write atomic = [&](std::string& e) {
        return WriteFileAtomically(target, {'n', 'e', 'w'}, e);
    };
    const Write newFile = [&](std::string& e) { return WriteNewFile(target, {'n', 'e', 'w'}, e); };
    const Write append = [&](std::string& e) { return AppendWhole(target, "new", "", e); };
    const auto linkTo = [](const fs::path& to, const fs::path& at) {
        return [=] { fs::create_symlink(to, at); };
    };
    const std::string link = "it is a link, and Kelvo does not write through links";
    const struct {
        std::function<void()> plant;
        Write write;
        bool written;      // the target then holds the new bytes as a file of its own
        std::string says;  // the reason a write that is refused gives
    } cases[] = {
        {linkTo(victim, target + ".saving"), atomic, true, ""},  // the old fixed temporary name
        {linkTo(victim, target), atomic, true, ""},
        {linkTo(victim, target), newFile, false, "File exists"},
        {linkTo(dir / "made", target), newFile, false, "File exists"},
        {linkTo(victim, target), append, false, link},
        // Nobody reads the pipe: the write must not hang.
        {[&] { ::mkfifo(target.c_str(), 0600); }, append, false, "No such device or address"},
        {[&] { fs::create_directory(target); }, atomic, false, "Is a directory"},
        // No file of the name can be made beside it: said at once, not retried as a clash.
        {[] {},
         [&](std::string& e) {
             return WriteFileAtomically(target + std::string(250, 'n'), {'x'}, e);
         },
         false, "File name too long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        fs::remove_all(dir), fs::create_directories(dir);
        std::ofstream(victim) << "precious";
        c.plant();
        std::string error;
        EXPECT_EQ(c.write(error), c.written) << error;
        EXPECT_EQ(error, c.says);
        EXPECT_EQ(readText(victim), "precious");
        EXPECT_FALSE(fs::exists(dir / "made"));
        if (c.written) {
            EXPECT_TRUE(!fs::is_symlink(target) && readText(target) == "new");
        }
        for (const auto& entry : fs::directory_iterator(dir))
            EXPECT_NE(entry.path().extension(), ".tmp");
    }
}

TEST_F(FileWriter, AnAppendIsWholeOrTakenBack) {
    const std::string log = (dir / "history.csv").string();
    const WriteCall diskRunsFull = [](int fd, const char* data, size_t size) -> long long {
        return ::write(fd, data, size / 2);
    };
    std::string error;
    ASSERT_TRUE(AppendWhole(log, "a,1\r\n", "h\r\n", error)) << error;
    EXPECT_FALSE(AppendWhole(log, "b,22222\r\n", "h\r\n", error, diskRunsFull));
    EXPECT_NE(error.find("4 of 9 bytes"), std::string::npos) << error;
    ASSERT_TRUE(AppendWhole(log, "c,3\r\n", "h\r\n", error)) << error;
    EXPECT_EQ(readText(log), "h\r\na,1\r\nc,3\r\n");
    // A disk that refuses the write, and one that takes nothing while errno still says
    // EINTR from before: neither is retried for ever, and the file keeps its lines.
    const WriteCall refuses = [](int, const char*, size_t) -> long long {
        errno = ENOSPC;
        return -1;
    };
    const WriteCall takesNothing = [](int, const char*, size_t) -> long long {
        errno = EINTR;
        return 0;
    };
    EXPECT_FALSE(AppendWhole(log, "d,4\r\n", "h\r\n", error, refuses));
    EXPECT_EQ(error, std::generic_category().message(ENOSPC));
    EXPECT_FALSE(AppendWhole(log, "e,5\r\n", "h\r\n", error, takesNothing));
    EXPECT_EQ(error, "the disk took only 0 of 5 bytes; they were taken back");
    EXPECT_EQ(readText(log), "h\r\na,1\r\nc,3\r\n");
}

// Started with its standard input closed (as a scheduled job may be), a run's first file
// gets descriptor 0: it is written and closed like any other.
TEST_F(FileWriter, DescriptorZeroIsAFileLikeAnyOther) {
    const int input = ::dup(0);
    ::close(0);
    std::string error;
    const bool written = WriteFileAtomically((dir / "a.bin").string(), Bytes{1, 2}, error);
    const bool zeroLeftOpen = ::fcntl(0, F_GETFD) != -1;
    ::dup2(input, 0);
    ::close(input);
    EXPECT_TRUE(written) << error;
    EXPECT_FALSE(zeroLeftOpen);
    EXPECT_EQ(readText(dir / "a.bin"), std::string("\x01\x02"));
    // Readable and writable as the user's umask allows, like any file a program makes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(dir / "a.bin").permissions(), fs::perms(0666 & ~mask));
}

// What is no file, or far too large to be a settings or definition file, is refused unread.
TEST_F(FileWriter, InputFilesThatAreNoFilesOrTooLargeAreRefusedByName) {
    const std::string big = (dir / "big.Set").string(), def = (dir / "DEF00231.PDT").string();
    // Sparse, so no disk: the settings file far too large, the definition file a byte too.
    for (const std::string& name : {big, def})
        std::ofstream(name).close(),
            fs::resize_file(name, name == big ? 3'000'000'000 : kDefinitionFileLimit + 1);
    fs::create_directory(dir / "folder.Set");
    ::mkfifo((dir / "fifo.Set").c_str(), 0600);
    test::TestContext t;
    t.ctx.AppDir = dir.string();
    for (const std::string& path : {big, (dir / "folder.Set").string(), (dir / "fifo.Set").string(),
                                    std::string("/dev/zero")}) {
        int type = 0;
        t.ctx.ErrorText.clear();
        EXPECT_FALSE(ReadSetBlock(t.ctx, path, type, true, true));
        EXPECT_EQ(t.ctx.ErrorText,
                  path == big ? "File is damaged " + big : path + " is not a regular file");
    }
    t.ctx.ErrorText.clear();
    test::setRam(t.ctx, kRamIdByte, 231);
    EXPECT_FALSE(LoadDefinition(t.ctx));
    EXPECT_EQ(t.ctx.ErrorText, def + " is too large for a definition file (over 64 KB), ");
    fs::resize_file(def, kDefinitionFileLimit);  // just small enough: read, and all zeros
    t.ctx.ErrorText.clear();
    EXPECT_TRUE(LoadDefinition(t.ctx)) << t.ctx.ErrorText;
}
#endif

}  // namespace
}  // namespace kelvo
