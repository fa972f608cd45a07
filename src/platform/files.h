#pragma once

// The run directory and the one file the client writes.

#include <string>

namespace lxtv::platform {

// The folder that holds the program file, without a trailing "/".
std::string runDirectory();

// The folder for the catalogue copy (and the second place the player's installer is looked
// for): the program's folder when this user can create files in it, as in a build tree or a
// portable copy; otherwise the user's data folder, created when missing. Installed under
// /usr/bin the program's folder belongs to root, and a copy that can never be stored there
// would leave the tree empty at every start. When the data folder cannot be had either, the
// program's folder stays the answer: a copy someone put there can at least still be read.
std::string chooseDataDirectory(const std::string& programFolder,
                                const std::string& userDataFolder);

// chooseDataDirectory over the run directory and the user's data folder of this application
// (QStandardPaths::AppDataLocation), decided at the first call and the same for the whole run.
// The application object should exist by then: the folder's name comes from it.
const std::string& dataDirectory();

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
