#pragma once
// The one way Kelvo writes a file. Whole files go into a temporary with a random name that
// is created exclusively beside the target (so a link planted there cannot redirect the
// write), are flushed to the disk and then renamed into place: the target is the old file
// or the new one, never a mixture. Records that grow (history, logs) are appended one whole
// line per write, and a line the disk could not take is taken back.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/platform.h"

namespace kelvo {

// Replaces or creates the file at path. A link at path is itself replaced, never followed.
// On failure the target is untouched, no temporary is left behind, and error holds the
// system's words.
bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string& error);

// Creates the file at path, whole, unless a file (or a link) already holds the name: that
// one stays as it is and the result is false ("File exists" in error).
bool WriteNewFile(const std::string& path, const Bytes& bytes, std::string& error);

// Writes the bytes under the first of nameFor(1), nameFor(2), ... (names in one folder) that
// no file holds yet, claiming the name without ever replacing a file: writers racing for
// one name each end up with their own. Returns the path written, or "" with the reason.
std::string WriteUnderFreeName(const std::function<std::string(int attempt)>& nameFor,
                               const Bytes& bytes, std::string& error);

// The call that hands bytes to the system: the platform's write() unless a test needs a
// disk that runs full at a chosen byte.
using WriteCall = long long (*)(int descriptor, const char* data, size_t size);

// Appends text, preceded by headerWhenNew when the file is new or empty, in one write on an
// append-only descriptor that does not follow a link. When the disk takes only part of it,
// the file is cut back to its length before, so it only ever holds whole lines; false with
// the reason in error. Other Kelvo processes appending meanwhile wait for the line to finish.
bool AppendWhole(const std::string& path, std::string_view text, std::string_view headerWhenNew,
                 std::string& error, WriteCall writeCall = nullptr);

}  // namespace kelvo
