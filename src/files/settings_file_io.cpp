#include "files/settings_file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvo {
namespace {

std::string systemError(int code) {
    return std::generic_category().message(code);
}

FileReadResult notRegular(const std::string& path) {
    FileReadResult result;
    result.status = FileReadStatus::NotRegular;
    result.error = path + " is not a regular file";
    return result;
}

}  // namespace

#if defined(_WIN32)

FileReadResult ReadFileBounded(const std::string& path, size_t limit) {
    FileReadResult result;
    std::error_code ec;
    const std::filesystem::path fsPath(path);
    const auto status =
        path.empty() ? std::filesystem::file_status{} : std::filesystem::status(fsPath, ec);
    if (!std::filesystem::exists(status)) {
        result.status = FileReadStatus::Missing;
        return result;
    }
    if (!std::filesystem::is_regular_file(status)) return notRegular(path);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        result.error = systemError(errno);
        return result;
    }
    result.bytes.resize(limit);
    const size_t got = std::fread(result.bytes.data(), 1, limit, file);
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (failed) {
        result.error = systemError(readErrno);
        result.bytes.clear();
        return result;
    }
    result.bytes.resize(got);
    const auto size = std::filesystem::file_size(fsPath, ec);
    result.fileSize = ec ? got : static_cast<size_t>(size);
    result.status = FileReadStatus::Ok;
    return result;
}

#else

FileReadResult ReadFileBounded(const std::string& path, size_t limit) {
    FileReadResult result;
    struct stat info {};
    // Asked before opening: opening a device can have effects of its own.
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        if (path.empty() || errno == ENOENT || errno == ENOTDIR) {
            result.status = FileReadStatus::Missing;
        } else {
            result.error = systemError(errno);
        }
        return result;
    }
    if (!S_ISREG(info.st_mode)) return notRegular(path);
    // Non-blocking, and asked again once open, in case a FIFO took the name meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.error = systemError(errno);
        return result;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = errno;
        ::close(fd);
        if (S_ISREG(info.st_mode))
            result.error = systemError(code);
        else
            result = notRegular(path);
        return result;
    }
    const size_t size = static_cast<size_t>(info.st_size);
    result.bytes.resize(std::min(limit, size));
    size_t got = 0;
    while (got < result.bytes.size()) {
        const ssize_t done = ::read(fd, result.bytes.data() + got, result.bytes.size() - got);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) {
            result.error = systemError(errno);
            result.bytes.clear();
            ::close(fd);
            return result;
        }
        if (done == 0) break;  // the file shrank meanwhile
        got += static_cast<size_t>(done);
    }
    ::close(fd);
    result.bytes.resize(got);
    result.fileSize = std::max(size, got);
    result.status = FileReadStatus::Ok;
    return result;
}

#endif

}  // namespace kelvo
