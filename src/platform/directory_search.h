#pragma once

// Folder searches with Windows wildcard patterns. A pattern is a folder path, "/", then a name
// pattern; the name pattern is rewritten and matched the way the Windows file functions do it
// ("*.*" matches every name, "*.rm" never matches "a.rmvb", "*." matches names without a dot,
// "?" is one UTF-8 character or nothing before a dot), with ASCII letters compared without
// regard to case.
// Entries come back sorted by name without regard to case, "." and ".." first, as NTFS gives
// them. Names are the file system's bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lxtv::platform {

enum class SearchKind { Subfolders, Files };

// The Windows error codes a search start can leave behind.
enum class SearchError : std::uint32_t {
    None = 0,
    FileNotFound = 2,  // the folder exists, nothing in it matches
    PathNotFound = 3,  // the folder is missing or is not a folder
    AccessDenied = 5,
};

// True when `name` matches the name pattern `pattern` (no folder part) after the platform's
// rewriting of the pattern.
bool matchesWildcard(std::string_view name, std::string_view pattern);

// One open search at a time: start closes a search still open. Each call gives the next entry
// of the wanted kind, or empty text when there is none (the search is then closed).
class DirectorySearch {
  public:
    std::string start(const std::string& pattern, SearchKind kind);
    std::string next(SearchKind kind);
    void close();
    bool isOpen() const { return open_; }
    // The outcome of the last start: why it found nothing, or None.
    SearchError lastError() const { return error_; }

  private:
    struct Entry {
        std::string name;
        bool folder = false;
    };
    std::string nextOfKind(SearchKind kind);

    bool open_ = false;
    std::vector<Entry> entries_;
    std::size_t position_ = 0;
    SearchError error_ = SearchError::None;
};

}  // namespace lxtv::platform
