#pragma once
// Whole-file reads and atomic replacement, so a settings file is never left half written.

#include <cstddef>
#include <string>

#include "common/platform.h"

namespace kelvo {

enum class FileReadStatus { Ok, Missing, Failed };

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Failed;
    Bytes bytes;          // at most the limit asked for
    size_t fileSize = 0;  // the file's real length, which may exceed the bytes held
    std::string error;    // the system's description when the read failed
};

FileReadResult ReadFileBounded(const std::string& path, size_t limit);

// Writes the bytes beside the target, flushes them to the disk, then renames them over the
// target: the target is either the old file or the new one, never a mixture. On failure the
// target is untouched, the temporary file is removed, and error holds the system's words.
bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string& error);

// The name beside the target that WriteFileAtomically writes first.
std::string TemporaryNameFor(const std::string& path);

}  // namespace kelvo
