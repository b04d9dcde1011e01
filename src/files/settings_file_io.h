#pragma once
// Bounded whole-file reads of the files Kelvo reads (settings, ".sim" and definition
// files): never more than the reader can use, never blocking on something that is no file.
// Writing lives in file_writer.h.

#include <cstddef>
#include <string>

#include "common/platform.h"
#include "files/file_writer.h"

namespace kelvo {

enum class FileReadStatus { Ok, Missing, NotRegular, Failed };

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Failed;
    Bytes bytes;          // at most the limit asked for
    size_t fileSize = 0;  // the file's real length, which may exceed the bytes held
    std::string error;    // the system's description when the read failed
};

// Reads at most limit bytes. Missing: the path is empty or names nothing. NotRegular: a
// folder, a device or a FIFO, with "<path> is not a regular file" in error; such a path is
// never read from, and opening it never waits for a writer.
FileReadResult ReadFileBounded(const std::string& path, size_t limit);

}  // namespace kelvo
