#include "files/file_writer.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>  // renameat2
#endif

namespace kelvo {
namespace {

namespace fs = std::filesystem;

// Temporary names tried before giving up: with 64 random bits a clash means that someone
// plants names on purpose, and a few more draws will not help against that.
constexpr int kTemporaryTries = 16;
// New names tried ("-2" ... "-999"): far more backups of one sensor in one second than
// any number of parallel runs makes.
constexpr int kNewNameTries = 999;

std::string systemError(int code) {
    return std::generic_category().message(code);
}

std::string randomSuffix() {
    static thread_local std::mt19937_64 generator = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuv";
    uint64_t bits = generator();
    std::string text;
    for (int i = 0; i < 12; ++i, bits >>= 5) text += kDigits[bits & 31];
    return text;
}

#if defined(_WIN32)

int openWindows(const std::string& path, int flags, int share) {
    int fd = -1;
    const errno_t code = _sopen_s(&fd, path.c_str(), flags | _O_WRONLY | _O_CREAT | _O_BINARY |
                                                         _O_NOINHERIT,
                                  share, _S_IREAD | _S_IWRITE);
    if (code != 0) errno = code;
    return code == 0 ? fd : -1;
}

int openExclusive(const std::string& path) {
    return openWindows(path, _O_EXCL, _SH_DENYRW);
}

int openForAppend(const std::string& path) {
    return openWindows(path, _O_APPEND, _SH_DENYNO);
}

long long systemWrite(int fd, const char* data, size_t size) {
    return _write(fd, data, static_cast<unsigned>(size));
}

bool flushToDisk(int fd) {
    return _commit(fd) == 0;
}

int closeDescriptor(int fd) {
    return _close(fd);
}

long long sizeOf(int fd) {
    struct _stat64 info;
    return _fstat64(fd, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

bool cutBack(int fd, long long size) {
    return _chsize(fd, static_cast<long>(size)) == 0;
}

// Only Kelvo's own processes would race here, and Windows serialises appends itself.
void lockForAppend(int) {}

void syncFolderOf(const std::string&) {}

std::error_code placeWithoutReplacing(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    if (MoveFileExW(fs::path(from).c_str(), fs::path(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return {};
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
        return std::make_error_code(std::errc::file_exists);
    return {static_cast<int>(code), std::system_category()};
}

#else

int openExclusive(const std::string& path) {
    // O_EXCL refuses any name that exists, a link included, wherever it points.
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

int openForAppend(const std::string& path) {
    // Non-blocking so that a FIFO with no reader fails at once instead of hanging.
    return ::open(path.c_str(),
                  O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                  0666);
}

long long systemWrite(int fd, const char* data, size_t size) {
    return ::write(fd, data, size);
}

bool flushToDisk(int fd) {
    return ::fsync(fd) == 0;
}

int closeDescriptor(int fd) {
    return ::close(fd);
}

long long sizeOf(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

bool cutBack(int fd, long long size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

// Held until the descriptor closes: another kelvo-cli appending to the same history waits
// for this line, so a line taken back never takes someone else's with it.
void lockForAppend(int fd) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

// The rename is only durable once the folder that holds the name is on the disk too.
void syncFolderOf(const std::string& path) {
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::error_code placeWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    // Some file systems cannot rename without replacing; a hard link claims the name as well.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return {errno, std::generic_category()};
#endif
    if (::link(from.c_str(), to.c_str()) != 0) return {errno, std::generic_category()};
    ::unlink(from.c_str());
    return {};
}

#endif

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int close() {
        if (fd_ < 0) return 0;
        const int result = closeDescriptor(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

void removeQuietly(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

std::string openError(int code) {
    // O_NOFOLLOW's refusal reads "Too many levels of symbolic links", which helps nobody.
    if (code == ELOOP) return "it is a link, and Kelvo does not write through links";
    return systemError(code);
}

bool writeAll(int fd, const Bytes& bytes, int& code) {
    const char* data = reinterpret_cast<const char*>(bytes.data());
    size_t left = bytes.size();
    while (left > 0) {
        const long long done = systemWrite(fd, data, left);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            code = done < 0 ? errno : ENOSPC;
            return false;
        }
        data += done;
        left -= static_cast<size_t>(done);
    }
    return true;
}

// Writes the bytes, on the disk, into a fresh file beside target; its name goes to temporary.
bool writeTemporary(const std::string& target, const Bytes& bytes, std::string& temporary,
                    std::string& error) {
    const fs::path path(target);
    const std::string stem = path.filename().string() + ".";
    for (int tries = 0; tries < kTemporaryTries; ++tries) {
        const std::string candidate =
            (path.parent_path() / (stem + randomSuffix() + ".tmp")).string();
        Descriptor fd(openExclusive(candidate));
        if (!fd.valid()) {
            if (errno == EEXIST) continue;
            error = openError(errno);
            return false;
        }
        int code = 0;
        bool ok = writeAll(fd.get(), bytes, code);
        if (ok && !flushToDisk(fd.get())) {
            ok = false;
            code = errno;
        }
        if (fd.close() != 0 && ok) {
            ok = false;
            code = errno;
        }
        if (!ok) {
            error = systemError(code ? code : EIO);
            removeQuietly(candidate);
            return false;
        }
        temporary = candidate;
        return true;
    }
    error = "no free name for a temporary file beside " + target;
    return false;
}

std::string claimFreeName(const std::function<std::string(int attempt)>& nameFor, int attempts,
                          const Bytes& bytes, std::string& error) {
    const std::string first = nameFor(1);
    std::string temporary;
    if (!writeTemporary(first, bytes, temporary, error)) return {};
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const std::string name = attempt == 1 ? first : nameFor(attempt);
        const std::error_code ec = placeWithoutReplacing(temporary, name);
        if (!ec) {
            syncFolderOf(name);
            return name;
        }
        error = ec.message();
        if (ec != std::errc::file_exists) break;
    }
    removeQuietly(temporary);
    return {};
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string& error) {
    std::string temporary;
    if (!writeTemporary(path, bytes, temporary, error)) return false;
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        error = ec.message();
        removeQuietly(temporary);
        return false;
    }
    syncFolderOf(path);
    return true;
}

std::string WriteUnderFreeName(const std::function<std::string(int attempt)>& nameFor,
                               const Bytes& bytes, std::string& error) {
    return claimFreeName(nameFor, kNewNameTries, bytes, error);
}

bool WriteNewFile(const std::string& path, const Bytes& bytes, std::string& error) {
    return !claimFreeName([&](int) { return path; }, 1, bytes, error).empty();
}

bool AppendWhole(const std::string& path, std::string_view text, std::string_view headerWhenNew,
                 std::string& error, WriteCall writeCall) {
    Descriptor fd(openForAppend(path));
    if (!fd.valid()) {
        error = openError(errno);
        return false;
    }
    lockForAppend(fd.get());
    const long long before = sizeOf(fd.get());
    if (before < 0) {
        error = systemError(errno);
        return false;
    }
    std::string line;
    if (before == 0) line.append(headerWhenNew);
    line.append(text);
    if (!writeCall) writeCall = systemWrite;
    long long written;
    do {
        written = writeCall(fd.get(), line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    if (written == static_cast<long long>(line.size())) {
        if (fd.close() == 0) return true;
        error = systemError(errno);
        return false;
    }
    if (written < 0) {
        error = systemError(errno);
        return false;
    }
    // A part of a line would glue the next line onto it.
    const bool undone = cutBack(fd.get(), before);
    error = "the disk took only " + std::to_string(written) + " of " + std::to_string(line.size()) +
            " bytes" + (undone ? "; they were taken back" : ", and they could not be taken back");
    return false;
}

}  // namespace kelvo
