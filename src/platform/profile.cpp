#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ansi.h"
#include "platform/ascii.h"

namespace lxtv::platform {
namespace {

constexpr unsigned char byteAt(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// The blanks trimmed around names and values inside the file. Form feed and the other control
// characters stay: the platform was only seen trimming these three.
constexpr bool isFileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

// Byte-wise trimming is safe in code page 936: a trail byte is never below 0x40.
std::string_view trimFileBlanks(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isFileBlank(s[b])) ++b;
    while (e > b && isFileBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// The caller's section and key arguments lose spaces only; a TAB or VT around them is kept and
// makes the name miss.
std::string_view trimSpaces(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

// A C string ends at its first zero byte.
std::string_view argText(std::string_view s) {
    const std::size_t zero = s.find('\0');
    return zero == std::string_view::npos ? s : s.substr(0, zero);
}

// Names match by characters: a single-byte letter ignores ASCII case, a double-byte character
// must match exactly (its trail byte may look like an ASCII letter: 0x81 0x41 and 0x81 0x61 are
// different characters).
std::uint64_t nameHash(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t next = charNext(s, i);
        h = (h ^ asciiLower(byteAt(s, i))) * 1099511628211ull;
        if (next - i == 2) h = (h ^ byteAt(s, i + 1)) * 1099511628211ull;
        i = next;
    }
    return h;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t next = charNext(a, i);
        if (next - i == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (asciiLower(byteAt(a, i)) != asciiLower(byteAt(b, i))) {
            return false;
        }
        i = next;
    }
    return true;
}

// Spreads the bits so that the low ones can pick a slot of a power-of-two table.
constexpr std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    return h;
}

constexpr std::uint64_t keyHash(std::uint64_t name, std::uint32_t section) {
    return mix(name ^ (std::uint64_t{section} + 1) * 0x9e3779b97f4a7c15ull);
}

struct Entry {
    std::string_view name;
    std::string_view value;
    std::uint64_t hash = 0;  // keyHash of the name in its section
    std::uint32_t section = 0;
    bool hasValue =
        false;  // false for a line without "=": it occupies its name but reads as absent
};

struct Section {
    std::string_view name;
    std::uint64_t hash = 0;  // mix(nameHash)
    std::uint32_t firstEntry = 0;
    std::uint32_t endEntry = 0;
};

// An open-addressing index from a hash to the first item of each name, built once over items
// that already carry their hash. Far cheaper to build than a node-based map for 200,000 keys.
class FirstOfNameIndex {
  public:
    // `item(i)` gives the i-th item (with .hash); `same(a, b)` says whether two items share a name.
    template <typename Item, typename Same>
    void build(std::size_t count, Item item, Same same) {
        std::size_t capacity = 16;
        while (capacity < count * 2) capacity <<= 1;
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t hash = item(i).hash;
            for (std::size_t s = hash & mask_;; s = (s + 1) & mask_) {
                Slot& slot = slots_[s];
                if (slot.index == kEmpty) {
                    slot = Slot{hash, static_cast<std::uint32_t>(i)};
                    break;
                }
                if (slot.hash == hash && same(item(slot.index), item(i))) break;  // first wins
            }
        }
    }

    // The first item for which `matches(index)` holds among those with this hash, or kEmpty.
    template <typename Matches>
    std::uint32_t find(std::uint64_t hash, Matches matches) const {
        if (slots_.empty()) return kEmpty;
        for (std::size_t s = hash & mask_;; s = (s + 1) & mask_) {
            const Slot& slot = slots_[s];
            if (slot.index == kEmpty) return kEmpty;
            if (slot.hash == hash && matches(slot.index)) return slot.index;
        }
    }

    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

  private:
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t index = kEmpty;
    };
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

// A file that starts with the UTF-16LE byte order mark is turned into code page 936 bytes; the
// platform reads such files through its ANSI calls too. Every other file is taken as code page
// 936 bytes as it stands (a UTF-8 byte order mark is not skipped: it becomes part of the first
// line).
void convertUtf16File(std::string& bytes) {
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return;
    std::u16string units((bytes.size() - 2) / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] =
            static_cast<char16_t>(byteAt(bytes, 2 + 2 * i) | (byteAt(bytes, 3 + 2 * i) << 8));
    bytes = fromQString(QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())));
}

// One file, parsed. Immutable after construction and never moved, so the names and values can
// stay views into the file's bytes.
class ParsedProfile {
  public:
    explicit ParsedProfile(std::string bytes) : bytes_(std::move(bytes)) {
        convertUtf16File(bytes_);
        parse();
        sectionIndex_.build(
            sections_.size(), [&](std::size_t i) -> const Section& { return sections_[i]; },
            [](const Section& a, const Section& b) { return sameName(a.name, b.name); });
        keyIndex_.build(
            entries_.size(), [&](std::size_t i) -> const Entry& { return entries_[i]; },
            [](const Entry& a, const Entry& b) {
                return a.section == b.section && sameName(a.name, b.name);
            });
    }
    ParsedProfile(const ParsedProfile&) = delete;
    ParsedProfile& operator=(const ParsedProfile&) = delete;

    // The first section of that name.
    const Section* findSection(std::string_view name) const {
        const std::uint32_t i = sectionIndex_.find(mix(nameHash(name)), [&](std::uint32_t s) {
            return sameName(sections_[s].name, name);
        });
        return i == FirstOfNameIndex::kEmpty ? nullptr : &sections_[i];
    }

    // The first line of that name in the section, or null.
    const Entry* findKey(const Section& section, std::string_view name) const {
        const auto s = static_cast<std::uint32_t>(&section - sections_.data());
        const std::uint32_t i = keyIndex_.find(keyHash(nameHash(name), s), [&](std::uint32_t e) {
            return entries_[e].section == s && sameName(entries_[e].name, name);
        });
        return i == FirstOfNameIndex::kEmpty ? nullptr : &entries_[i];
    }

    const std::vector<Section>& sections() const { return sections_; }
    const std::vector<Entry>& entries() const { return entries_; }

  private:
    void parse();
    void parseLine(std::string_view line);

    std::string bytes_;
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
    FirstOfNameIndex sectionIndex_;
    FirstOfNameIndex keyIndex_;
};

void ParsedProfile::parse() {
    const std::string_view text = bytes_;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // CR LF, a lone LF and a lone CR all end a line; the empty line between CR and LF is
        // blank and skipped.
        std::size_t end = pos;
        std::size_t zero = std::string_view::npos;
        for (; end < text.size(); ++end) {
            const char c = text[end];
            if (c == '\r' || c == '\n') break;
            if (c == '\0' && zero == std::string_view::npos) zero = end;
        }
        // Unsettled on the platform: how a zero byte inside a line is read. We end the line's
        // text there, so no name or value ever holds a zero byte that would split a list.
        const std::size_t stop = zero == std::string_view::npos ? end : zero;
        parseLine(text.substr(pos, stop - pos));
        pos = end + 1;
    }
}

void ParsedProfile::parseLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isFileBlank(line[i])) ++i;
    if (i == line.size()) return;

    if (line[i] == '[') {
        // The name runs to the first "]" found walking characters, so a double-byte character
        // whose trail byte is 0x5D stays inside the name. A missing "]" lets it run to the end
        // of the line; text after the "]" is ignored.
        const std::size_t start = i + 1;
        std::size_t close = line.size();
        for (std::size_t p = start; p < line.size(); p = charNext(line, p)) {
            if (line[p] == ']') {
                close = p;
                break;
            }
        }
        Section section;
        section.name = trimFileBlanks(line.substr(start, close - start));
        section.hash = mix(nameHash(section.name));
        section.firstEntry = section.endEntry = static_cast<std::uint32_t>(entries_.size());
        // Sections of the same name are not merged: the index keeps the first one for lookups.
        sections_.push_back(section);
        return;
    }
    // A comment only when ";" is the first non-blank character; "#" is never one.
    if (line[i] == ';') return;
    // Lines before the first section cannot be reached by any lookup.
    if (sections_.empty()) return;

    const std::string_view rest = line.substr(i);
    Entry entry;
    // "=" can never be a trail byte, so the first "=" byte is the first "=" character.
    const std::size_t eq = rest.find('=');
    if (eq == std::string_view::npos) {
        entry.name = trimFileBlanks(rest);
    } else {
        entry.name = trimFileBlanks(rest.substr(0, eq));
        std::string_view value = trimFileBlanks(rest.substr(eq + 1));
        // One pair of the same quote character around the whole value goes; what is inside,
        // blanks included, stays. A lone quote is kept.
        if (value.size() >= 2 && value.front() == value.back() &&
            (value.front() == '"' || value.front() == '\''))
            value = value.substr(1, value.size() - 2);
        entry.value = value;
        entry.hasValue = true;
    }
    // The first line of a name answers lookups; later ones only show in the key list. Unsettled
    // on the platform: whether a line without "=" hides a later "name=value". We let it, as the
    // platform keeps such a line as a key without a value.
    entry.section = static_cast<std::uint32_t>(sections_.size() - 1);
    entry.hash = keyHash(nameHash(entry.name), entry.section);
    entries_.push_back(entry);
    sections_.back().endEntry = static_cast<std::uint32_t>(entries_.size());
}

// --- the cache of parsed files -------------------------------------------------------------

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const struct stat& st) {
    return FileStamp{st.st_dev, st.st_ino, st.st_size,
                     std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec,
                     std::int64_t{st.st_ctim.tv_sec} * 1'000'000'000 + st.st_ctim.tv_nsec};
}

struct CachedFile {
    FileStamp stamp;
    std::shared_ptr<const ParsedProfile> parsed;
};

// The program reads one catalogue; a few more files (tests) are fine, beyond that start afresh.
constexpr std::size_t kMaxCachedFiles = 8;

std::mutex& cacheMutex() {
    static std::mutex m;
    return m;
}

std::unordered_map<std::string, CachedFile>& cache() {
    static std::unordered_map<std::string, CachedFile> files;
    return files;
}

std::atomic<std::uint64_t> parseCounter{0};

void forget(const std::string& path) {
    std::lock_guard lock(cacheMutex());
    cache().erase(path);
}

// Reads a whole open file; false on a read error.
bool readAll(int fd, std::size_t sizeHint, std::string& out) {
    out.clear();
    out.resize(sizeHint + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == out.size()) out.resize(out.size() * 2 + 4096);
        const ssize_t got = ::read(fd, out.data() + used, out.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    out.resize(used);
    return true;
}

// The parsed form of the file as it is now; null when it cannot be read (missing, a folder).
//
// A changed file is noticed by its device, inode, size and time stamps. A catalogue replaced by
// renaming a new file over it always gets a new inode; a rewrite in place that keeps the size
// within one tick of the file system's clock cannot be told apart without reading the file.
std::shared_ptr<const ParsedProfile> loadProfile(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        forget(path);
        return nullptr;
    }
    {
        std::lock_guard lock(cacheMutex());
        const auto it = cache().find(path);
        if (it != cache().end() && it->second.stamp == stampOf(st)) return it->second.parsed;
    }

    std::string bytes;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            forget(path);
            return nullptr;
        }
        struct stat before {};
        struct stat after {};
        const bool ok = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode) &&
                        readAll(fd, static_cast<std::size_t>(before.st_size), bytes) &&
                        ::fstat(fd, &after) == 0;
        ::close(fd);
        if (!ok) {
            forget(path);
            return nullptr;
        }
        const FileStamp stamp = stampOf(before);
        if (stamp == stampOf(after) && bytes.size() == static_cast<std::size_t>(before.st_size)) {
            auto parsed = std::make_shared<const ParsedProfile>(std::move(bytes));
            parseCounter.fetch_add(1, std::memory_order_relaxed);
            std::lock_guard lock(cacheMutex());
            auto& files = cache();
            if (files.size() >= kMaxCachedFiles && !files.contains(path)) files.clear();
            files[path] = CachedFile{stamp, parsed};
            return parsed;
        }
    }
    // The file kept changing while it was read: answer from the last reading, keep nothing.
    parseCounter.fetch_add(1, std::memory_order_relaxed);
    return std::make_shared<const ParsedProfile>(std::move(bytes));
}

// --- copying into the caller's buffer ---------------------------------------------------------

// The longest start of `text` of at most `limit` bytes that does not end inside a double-byte
// character. Unsettled on the platform: whether a cut may split such a character; we never do,
// so a cut text never ends in a stray lead byte that would swallow whatever follows it.
std::size_t characterBoundary(std::string_view text, std::size_t limit) {
    std::size_t p = 0;
    while (p < limit) {
        const std::size_t next = charNext(text, p);
        if (next > limit) break;
        p = next;
    }
    return p;
}

// A single value: cut to size-1 bytes, zero-terminated. The platform's 65,535-character wrap of
// a longer value is not copied: a long value is cut by the buffer like any other.
std::size_t copyText(std::string_view text, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return 0;
    std::size_t n = text.size();
    if (n > size - 1) n = characterBoundary(text, size - 1);
    if (n > 0) std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

// A list: every name followed by a zero byte, one more zero byte at the end. When that does not
// fit with a byte to spare, the first size-2 bytes of the list are kept, the rest of the buffer
// is zeroed (at least the two final zeros) and size-2 is returned.
std::size_t copyList(const std::vector<std::string_view>& names, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return 0;
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    std::size_t total = 0;
    for (const auto name : names) total += name.size() + 1;
    if (total + 2 <= size) {
        std::size_t pos = 0;
        for (const auto name : names) {
            std::memcpy(buffer + pos, name.data(), name.size());
            pos += name.size();
            buffer[pos++] = '\0';
        }
        buffer[pos] = '\0';
        return total;
    }
    const std::size_t limit = size - 2;
    std::size_t pos = 0;
    for (const auto name : names) {
        if (pos + name.size() + 1 <= limit) {
            std::memcpy(buffer + pos, name.data(), name.size());
            pos += name.size();
            buffer[pos++] = '\0';
            continue;
        }
        const std::size_t piece = characterBoundary(name, limit - pos);
        if (piece > 0) std::memcpy(buffer + pos, name.data(), piece);
        pos += piece;
        break;
    }
    std::memset(buffer + pos, 0, size - pos);
    return limit;
}

std::vector<std::string_view> sectionNames(const ParsedProfile* parsed) {
    std::vector<std::string_view> names;
    if (parsed == nullptr) return names;
    names.reserve(parsed->sections().size());
    // Unsettled on the platform: whether a section "[]" is listed. Its empty name would end the
    // list early for every caller that splits it, so it is left out (it can still be read).
    for (const auto& section : parsed->sections())
        if (!section.name.empty()) names.push_back(section.name);
    return names;
}

std::vector<std::string_view> keyNames(const ParsedProfile* parsed, std::string_view section) {
    std::vector<std::string_view> names;
    // Unsettled on the platform: a missing section with a key list asked for. We give an empty
    // list whatever the default is; a default is not a list of key names.
    const Section* found = parsed == nullptr ? nullptr : parsed->findSection(section);
    if (found == nullptr) return names;
    const auto& entries = parsed->entries();
    for (std::uint32_t i = found->firstEntry; i < found->endEntry; ++i) {
        // Lines without "=" are not keys. A key with an empty name ("=value") is left out too:
        // its empty name would read as the end of the list.
        if (entries[i].hasValue && !entries[i].name.empty()) names.push_back(entries[i].name);
    }
    return names;
}

}  // namespace

std::size_t getPrivateProfileString(ProfileArg section, ProfileArg key, ProfileArg defaultValue,
                                    char* buffer, std::size_t size, const std::string& file) {
    if (buffer == nullptr || size == 0) return 0;
    const auto parsed = loadProfile(file);
    if (!section) return copyList(sectionNames(parsed.get()), buffer, size);
    const std::string_view sectionName = trimSpaces(argText(*section));
    if (!key) return copyList(keyNames(parsed.get(), sectionName), buffer, size);

    if (parsed != nullptr) {
        if (const Section* found = parsed->findSection(sectionName)) {
            const Entry* entry = parsed->findKey(*found, trimSpaces(argText(*key)));
            if (entry != nullptr && entry->hasValue) return copyText(entry->value, buffer, size);
        }
    }
    // The default loses trailing spaces only; its leading blanks, TABs and the like stay.
    std::string_view fallback = defaultValue ? argText(*defaultValue) : std::string_view{};
    while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
    return copyText(fallback, buffer, size);
}

std::size_t getPrivateProfileSectionNames(char* buffer, std::size_t size, const std::string& file) {
    return getPrivateProfileString(std::nullopt, std::nullopt, std::nullopt, buffer, size, file);
}

std::uint64_t profileParseCount() {
    return parseCounter.load(std::memory_order_relaxed);
}

void clearProfileCache() {
    std::lock_guard lock(cacheMutex());
    cache().clear();
}

}  // namespace lxtv::platform
