#pragma once

// The run directory and the one file the client writes.

#include <string>

namespace lxtv::platform {

// The folder that holds the program file, without a trailing "/".
std::string runDirectory();

// Outcome of a write; `error` empty when the file holds the new bytes.
struct WriteResult {
    bool ok = false;
    std::string error;  // why not, as the file system said it
    explicit operator bool() const { return ok; }
};

// Writes `bytes` to `path` through a temporary file beside it renamed over it, so a reader
// never sees a half-written file. Fails, and the old content stays, when the path is empty,
// names a copy that may not be written, or nothing could be written; a replaced copy keeps its
// file mode.
WriteResult writeFileBytes(const std::string& path, const std::string& bytes);

}  // namespace lxtv::platform
