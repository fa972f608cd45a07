#include "platform/directory_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/ascii.h"

namespace lxtv::platform {
namespace {

// The rewritten pattern as tokens: a byte to match, or one of the wildcards. Kept apart from
// bytes because "<", ">" and '"' are legal in Linux file names.
enum Token : int {
    kStar = 256,  // any run of characters, dots included
    kDosStar,     // any run of characters up to and including the name's last dot
    kDosQm,       // one character, or nothing at a dot or at the end
    kDosDot,      // a dot, or nothing at the end
};

std::vector<int> rewrite(std::string_view pattern) {
    // Trailing dots and blanks of the last path component are dropped before matching.
    std::string_view trimmed = pattern;
    while (!trimmed.empty() && (trimmed.back() == '.' || trimmed.back() == ' '))
        trimmed.remove_suffix(1);
    const bool endedInDot = !pattern.empty() && pattern.back() == '.';
    std::vector<int> tokens;
    if (trimmed == "*.*") return {kStar};
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        const char after = i + 1 < trimmed.size() ? trimmed[i + 1] : '\0';
        if (c == '*')
            tokens.push_back(after == '.' ? kDosStar : kStar);
        else if (c == '?')
            tokens.push_back(kDosQm);
        else if (c == '.' && (after == '?' || after == '*'))
            tokens.push_back(kDosDot);
        else
            tokens.push_back(static_cast<unsigned char>(c));
    }
    if (endedInDot && !tokens.empty() && tokens.back() == kStar) tokens.back() = kDosStar;
    return tokens;
}

class Matcher {
  public:
    Matcher(const std::vector<int>& tokens, std::string_view name)
        : tokens_(tokens),
          name_(name),
          lastDot_(name.rfind('.')),
          memo_((tokens.size() + 1) * (name.size() + 1), -1) {}

    bool match(std::size_t t, std::size_t n) {
        signed char& seen = memo_[t * (name_.size() + 1) + n];
        if (seen < 0) seen = compute(t, n) ? 1 : 0;
        return seen == 1;
    }

  private:
    // "?" stands for one character, and a name's characters are UTF-8: a lead byte and the
    // continuation bytes after it. A stray continuation byte counts as a character of its own.
    std::size_t characterEnd(std::size_t n) const {
        std::size_t end = n + 1;
        if (static_cast<unsigned char>(name_[n]) >= 0xC0)
            while (end < name_.size() && (static_cast<unsigned char>(name_[end]) & 0xC0) == 0x80)
                ++end;
        return end;
    }

    bool compute(std::size_t t, std::size_t n) {
        const std::size_t size = name_.size();
        if (t == tokens_.size()) return n == size;
        switch (tokens_[t]) {
            case kStar:
                for (std::size_t end = n; end <= size; ++end)
                    if (match(t + 1, end)) return true;
                return false;
            case kDosStar: {
                // Stops at the last dot, which it may take too; with no dot ahead it is "*".
                const std::size_t limit =
                    (lastDot_ != std::string_view::npos && lastDot_ >= n) ? lastDot_ + 1 : size;
                for (std::size_t end = n; end <= limit; ++end)
                    if (match(t + 1, end)) return true;
                return false;
            }
            case kDosQm:
                if (n == size || name_[n] == '.') return match(t + 1, n);
                return match(t + 1, characterEnd(n));
            case kDosDot:
                if (n == size) return match(t + 1, n);
                return name_[n] == '.' && match(t + 1, n + 1);
            default:
                return n < size &&
                       asciiUpper(static_cast<unsigned char>(name_[n])) ==
                           asciiUpper(static_cast<unsigned char>(tokens_[t])) &&
                       match(t + 1, n + 1);
        }
    }

    const std::vector<int>& tokens_;
    std::string_view name_;
    std::size_t lastDot_;
    std::vector<signed char> memo_;
};

// NTFS order: names compared with their letters upper-cased; the bytes break ties so the
// order is total.
bool nameBefore(const std::string& a, const std::string& b) {
    const bool aDots = a == "." || a == "..";
    const bool bDots = b == "." || b == "..";
    if (aDots != bDots) return aDots;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = asciiUpper(static_cast<unsigned char>(a[i]));
        const unsigned char y = asciiUpper(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace

bool matchesWildcard(std::string_view name, std::string_view pattern) {
    const std::vector<int> tokens = rewrite(pattern);
    if (tokens.empty()) return false;
    return Matcher(tokens, name).match(0, 0);
}

std::string DirectorySearch::start(const std::string& pattern, SearchKind kind) {
    close();
    error_ = SearchError::None;
    const std::size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : pattern.substr(0, slash);
    const std::string namePattern =
        slash == std::string::npos ? pattern : pattern.substr(slash + 1);

    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        error_ = errno == EACCES ? SearchError::AccessDenied : SearchError::PathNotFound;
        return {};
    }
    const std::vector<int> tokens = rewrite(namePattern);
    std::vector<Entry> found;
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (tokens.empty() || !Matcher(tokens, name).match(0, 0)) continue;
        bool isFolder = d->d_type == DT_DIR;
        if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK) {
            // A link counts as what it points to, as a Windows link to a folder is a folder.
            struct stat st {};
            const std::string full = (folder == "/" ? "" : folder) + "/" + name;
            isFolder = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        found.push_back({name, isFolder});
    }
    ::closedir(dir);
    if (found.empty()) {
        error_ = SearchError::FileNotFound;
        return {};
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return nameBefore(a.name, b.name); });
    entries_ = std::move(found);
    position_ = 0;
    open_ = true;
    return nextOfKind(kind);
}

std::string DirectorySearch::next(SearchKind kind) {
    if (!open_) return {};
    return nextOfKind(kind);
}

std::string DirectorySearch::nextOfKind(SearchKind kind) {
    const bool wantFolder = kind == SearchKind::Subfolders;
    while (position_ < entries_.size()) {
        const Entry& e = entries_[position_++];
        if (e.folder == wantFolder) return e.name;
    }
    close();
    return {};
}

void DirectorySearch::close() {
    open_ = false;
    entries_.clear();
    position_ = 0;
}

}  // namespace lxtv::platform
