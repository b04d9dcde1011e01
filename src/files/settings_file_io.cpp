#include "files/settings_file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kelvo {
namespace {

std::string systemError(int code) {
    return std::generic_category().message(code);
}

bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#if defined(_WIN32)
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

}  // namespace

FileReadResult ReadFileBounded(const std::string& path, size_t limit) {
    FileReadResult result;
    std::error_code ec;
    const std::filesystem::path fsPath(path);
    if (path.empty() || !std::filesystem::is_regular_file(fsPath, ec)) {
        result.status = FileReadStatus::Missing;
        return result;
    }
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

std::string TemporaryNameFor(const std::string& path) {
    return path + ".saving";
}

bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string& error) {
    const std::string temporary = TemporaryNameFor(path);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        error = systemError(errno);
        return false;
    }
    const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    bool ok = written == bytes.size() && flushToDisk(file);
    int code = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        code = errno;
    }
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(temporary, path, ec);
        if (!ec) return true;
        error = ec.message();
    } else {
        error = systemError(code ? code : EIO);
    }
    std::filesystem::remove(temporary, ec);
    return false;
}

}  // namespace kelvo
