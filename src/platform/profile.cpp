#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <QString>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
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
    // Equal bytes are the same name; at the first byte that differs, letters that differ in
    // more than case make them different names whether that byte is a character of its own or
    // half of one. Only what is left needs the walk by characters.
    const auto [pa, pb] = std::mismatch(a.begin(), a.end(), b.begin());
    if (pa == a.end()) return true;
    if (asciiLower(*pa) != asciiLower(*pb)) return false;
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

// Names and values are kept as places in the file's bytes: four 32-bit numbers a line instead of
// two views and a hash, so a 200,000-line catalogue costs a few megabytes beside its bytes.
constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;

struct Entry {
    std::uint32_t nameStart = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t valueStart = 0;
    // kNoValue for a line without "=": it occupies its name but reads as absent.
    std::uint32_t valueLength = kNoValue;
    bool hasValue() const { return valueLength != kNoValue; }
};

struct Section {
    std::uint32_t nameStart = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t firstEntry = 0;
    std::uint32_t endEntry = 0;
};

// The places above are 32-bit, so only the first 4 GiB of a file are read as lines; a
// catalogue is a few megabytes.
constexpr std::size_t kMaxParsedBytes = 0xFFFFFFF0u;

// An open-addressing index from a hash to the first item of each name: a slot holds the high
// half of the hash and the item's number. Far cheaper to build than a node-based map for
// 200,000 keys.
class FirstOfNameIndex {
  public:
    // Indexes `count` items: the i-th has the number `numberOf(i)` and the hash `hashOf(i)`;
    // `same(a, b)` says whether the items numbered a and b share a name.
    template <typename NumberOf, typename HashOf, typename Same>
    void build(std::size_t count, NumberOf numberOf, HashOf hashOf, Same same) {
        std::size_t capacity = 16;
        while (capacity < count * 2) capacity <<= 1;
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t number = numberOf(i);
            const std::uint64_t hash = hashOf(i);
            const auto tag = static_cast<std::uint32_t>(hash >> 32);
            for (std::size_t s = hash & mask_;; s = (s + 1) & mask_) {
                Slot& slot = slots_[s];
                if (slot.number == kEmpty) {
                    slot = Slot{tag, number};
                    break;
                }
                if (slot.tag == tag && same(slot.number, number)) break;  // the first one wins
            }
        }
    }

    // The number of the first item for which `matches(number)` holds among those with this
    // hash, or kEmpty.
    template <typename Matches>
    std::uint32_t find(std::uint64_t hash, Matches matches) const {
        if (slots_.empty()) return kEmpty;
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t s = hash & mask_;; s = (s + 1) & mask_) {
            const Slot& slot = slots_[s];
            if (slot.number == kEmpty) return kEmpty;
            if (slot.tag == tag && matches(slot.number)) return slot.number;
        }
    }

    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

  private:
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t number = kEmpty;
    };
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

// Sections of at most this many lines are searched line by line rather than through the index.
constexpr std::uint32_t kShortSection = 32;

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

// One file, parsed. Immutable after construction, so any thread may read it.
class ParsedProfile {
  public:
    explicit ParsedProfile(std::string bytes) : bytes_(std::move(bytes)) {
        convertUtf16File(bytes_);
        parse();
        buildIndexes();
    }
    ParsedProfile(const ParsedProfile&) = delete;
    ParsedProfile& operator=(const ParsedProfile&) = delete;

    std::string_view name(const Section& s) const { return view(s.nameStart, s.nameLength); }
    std::string_view name(const Entry& e) const { return view(e.nameStart, e.nameLength); }
    std::string_view value(const Entry& e) const {
        return e.hasValue() ? view(e.valueStart, e.valueLength) : std::string_view();
    }

    // The first section of that name.
    const Section* findSection(std::string_view wanted) const {
        const std::uint32_t i = sectionIndex_.find(mix(nameHash(wanted)), [&](std::uint32_t s) {
            return sameName(name(sections_[s]), wanted);
        });
        return i == FirstOfNameIndex::kEmpty ? nullptr : &sections_[i];
    }

    // The first line of that name in the section, or null.
    const Entry* findKey(const Section& section, std::string_view wanted) const {
        if (section.endEntry - section.firstEntry <= kShortSection) {
            // The lines of a section lie side by side, so this walk stays in a few cache lines
            // where a hash probe would miss the cache.
            // A name of another length, or whose last byte differs in more than letter case,
            // is another name (see sameName); most lines go at one of these two looks.
            if (wanted.empty()) {
                for (std::uint32_t e = section.firstEntry; e < section.endEntry; ++e)
                    if (entries_[e].nameLength == 0) return &entries_[e];
                return nullptr;
            }
            const auto last = asciiLower(static_cast<unsigned char>(wanted.back()));
            for (std::uint32_t e = section.firstEntry; e < section.endEntry; ++e) {
                const Entry& entry = entries_[e];
                if (entry.nameLength != wanted.size() ||
                    asciiLower(byteAt(bytes_, entry.nameStart + entry.nameLength - 1)) != last)
                    continue;
                if (sameName(name(entry), wanted)) return &entry;
            }
            return nullptr;
        }
        const auto s = static_cast<std::uint32_t>(&section - sections_.data());
        const std::uint32_t i = keyIndex_.find(keyHash(nameHash(wanted), s), [&](std::uint32_t e) {
            return e >= section.firstEntry && e < section.endEntry &&
                   sameName(name(entries_[e]), wanted);
        });
        return i == FirstOfNameIndex::kEmpty ? nullptr : &entries_[i];
    }

    const std::vector<Section>& sections() const { return sections_; }
    const std::vector<Entry>& entries() const { return entries_; }

  private:
    void parse();
    void parseLine(std::size_t begin, std::size_t end);
    void buildIndexes();

    // The section a line belongs to: the last one that starts at or before it (an empty section
    // just before it starts there too, but comes earlier).
    std::size_t sectionOf(std::uint32_t entry) const {
        const auto after = std::upper_bound(
            sections_.begin(), sections_.end(), entry,
            [](std::uint32_t e, const Section& section) { return e < section.firstEntry; });
        return static_cast<std::size_t>(after - sections_.begin()) - 1;
    }

    std::string_view view(std::uint32_t start, std::uint32_t length) const {
        return std::string_view(bytes_).substr(start, length);
    }

    std::string bytes_;
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
    FirstOfNameIndex sectionIndex_;
    FirstOfNameIndex keyIndex_;
};

// The end of the line that starts at `pos`, and its first zero byte (npos for none).
std::pair<std::size_t, std::size_t> lineEnd(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a catalogue line is some forty bytes long.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    while (end + 16 <= text.size()) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + end));
        const unsigned stops = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)),
                         _mm_cmpeq_epi8(chunk, nul))));
        if (stops != 0) {
            end += static_cast<std::size_t>(__builtin_ctz(stops));
            break;
        }
        end += 16;
    }
#endif
    for (; end < text.size(); ++end) {
        const char c = text[end];
        if (c == '\r' || c == '\n' || c == '\0') break;
    }
    if (end == text.size() || text[end] != '\0') return {end, std::string_view::npos};
    const std::size_t zero = end;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    return {end, zero};
}

void ParsedProfile::parse() {
    const std::string_view text = std::string_view(bytes_).substr(0, kMaxParsedBytes);
    std::size_t pos = 0;
    while (pos < text.size()) {
        // CR LF, a lone LF and a lone CR all end a line; the empty line between CR and LF is
        // blank and skipped.
        const auto [end, zero] = lineEnd(text, pos);
        // Unsettled on the platform: how a zero byte inside a line is read. We end the line's
        // text there, so no name or value ever holds a zero byte that would split a list.
        parseLine(pos, zero == std::string_view::npos ? end : zero);
        pos = end + 1;
    }
    sections_.shrink_to_fit();
    entries_.shrink_to_fit();
}

void ParsedProfile::buildIndexes() {
    sectionIndex_.build(
        sections_.size(), [](std::size_t i) { return static_cast<std::uint32_t>(i); },
        [&](std::size_t i) { return mix(nameHash(name(sections_[i]))); },
        [&](std::uint32_t a, std::uint32_t b) {
            return sameName(name(sections_[a]), name(sections_[b]));
        });
    // Only the keys of long sections are indexed; a short one is searched line by line.
    struct Indexed {
        std::uint32_t entry;
        std::uint32_t section;
    };
    std::vector<Indexed> indexed;
    for (std::uint32_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (section.endEntry - section.firstEntry > kShortSection)
            for (std::uint32_t e = section.firstEntry; e < section.endEntry; ++e)
                indexed.push_back(Indexed{e, s});
    }
    keyIndex_.build(
        indexed.size(), [&](std::size_t i) { return indexed[i].entry; },
        [&](std::size_t i) {
            return keyHash(nameHash(name(entries_[indexed[i].entry])), indexed[i].section);
        },
        // Entries of different sections may share a name; a probe meets the two only when
        // their hashes agree, and then their sections tell them apart.
        [&](std::uint32_t a, std::uint32_t b) {
            return sectionOf(a) == sectionOf(b) && sameName(name(entries_[a]), name(entries_[b]));
        });
}

void ParsedProfile::parseLine(std::size_t begin, std::size_t end) {
    const std::string_view line = std::string_view(bytes_).substr(begin, end - begin);
    // A place in the file of a piece of this line.
    const auto placeOf = [&](std::string_view piece) {
        return static_cast<std::uint32_t>(piece.data() - bytes_.data());
    };
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
        const std::string_view name = trimFileBlanks(line.substr(start, close - start));
        Section section;
        section.nameStart = placeOf(name);
        section.nameLength = static_cast<std::uint32_t>(name.size());
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
    std::string_view name;
    // "=" can never be a trail byte, so the first "=" byte is the first "=" character.
    const std::size_t eq = rest.find('=');
    if (eq == std::string_view::npos) {
        name = trimFileBlanks(rest);
    } else {
        name = trimFileBlanks(rest.substr(0, eq));
        std::string_view value = trimFileBlanks(rest.substr(eq + 1));
        // One pair of the same quote character around the whole value goes; what is inside,
        // blanks included, stays. A lone quote is kept.
        if (value.size() >= 2 && value.front() == value.back() &&
            (value.front() == '"' || value.front() == '\''))
            value = value.substr(1, value.size() - 2);
        entry.valueStart = placeOf(value);
        entry.valueLength = static_cast<std::uint32_t>(value.size());
    }
    entry.nameStart = placeOf(name);
    entry.nameLength = static_cast<std::uint32_t>(name.size());
    // The first line of a name answers lookups; later ones only show in the key list. Unsettled
    // on the platform: whether a line without "=" hides a later "name=value". We let it, as the
    // platform keeps such a line as a key without a value.
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
// Moves whenever the cache takes in a new parse or drops one, so that shared reads can tell.
std::atomic<std::uint64_t> cacheGeneration{0};

void forget(const std::string& path) {
    std::lock_guard lock(cacheMutex());
    if (cache().erase(path) > 0) cacheGeneration.fetch_add(1, std::memory_order_release);
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
            cacheGeneration.fetch_add(1, std::memory_order_release);
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
// is zeroed (at least the two final zeros) and size-2 is returned. `forEachName(f)` calls f with
// each name in order (it is walked twice).
template <typename ForEachName>
std::size_t copyList(ForEachName forEachName, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return 0;
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    std::size_t total = 0;
    forEachName([&](std::string_view name) {
        total += name.size() + 1;
        return true;
    });
    if (total + 2 <= size) {
        std::size_t pos = 0;
        forEachName([&](std::string_view name) {
            std::memcpy(buffer + pos, name.data(), name.size());
            pos += name.size();
            buffer[pos++] = '\0';
            return true;
        });
        buffer[pos] = '\0';
        return total;
    }
    const std::size_t limit = size - 2;
    std::size_t pos = 0;
    forEachName([&](std::string_view name) {
        if (pos + name.size() + 1 <= limit) {
            std::memcpy(buffer + pos, name.data(), name.size());
            pos += name.size();
            buffer[pos++] = '\0';
            return true;
        }
        const std::size_t piece = characterBoundary(name, limit - pos);
        if (piece > 0) std::memcpy(buffer + pos, name.data(), piece);
        pos += piece;
        return false;
    });
    std::memset(buffer + pos, 0, size - pos);
    return limit;
}

std::size_t copySectionNames(const ParsedProfile* parsed, char* buffer, std::size_t size) {
    return copyList(
        [parsed](auto each) {
            if (parsed == nullptr) return;
            // Unsettled on the platform: whether a section "[]" is listed. Its empty name would
            // end the list early for every caller that splits it, so it is left out (it can
            // still be read).
            for (const Section& section : parsed->sections()) {
                const std::string_view name = parsed->name(section);
                if (!name.empty() && !each(name)) return;
            }
        },
        buffer, size);
}

// The last section looked up in one parse, so that a run of reads in one section (the tree
// build's) finds it once. Belongs to one parse: forget it when the parse changes.
struct SectionMemo {
    std::string name;
    const Section* section = nullptr;
    bool known = false;

    const Section* find(const ParsedProfile& parsed, std::string_view wanted) {
        if (!known || name != wanted) {
            name.assign(wanted);
            section = parsed.findSection(wanted);
            known = true;
        }
        return section;
    }
};

const Section* findSection(const ParsedProfile* parsed, std::string_view name, SectionMemo* memo) {
    if (parsed == nullptr) return nullptr;
    return memo != nullptr ? memo->find(*parsed, name) : parsed->findSection(name);
}

std::size_t copyKeyNames(const ParsedProfile* parsed, const Section* found, char* buffer,
                         std::size_t size) {
    // Unsettled on the platform: a missing section with a key list asked for. We give an empty
    // list whatever the default is; a default is not a list of key names.
    return copyList(
        [parsed, found](auto each) {
            if (found == nullptr) return;
            const auto& entries = parsed->entries();
            for (std::uint32_t i = found->firstEntry; i < found->endEntry; ++i) {
                // Lines without "=" are not keys. A key with an empty name ("=value") is left
                // out too: its empty name would read as the end of the list.
                const std::string_view name = parsed->name(entries[i]);
                if (entries[i].hasValue() && !name.empty() && !each(name)) return;
            }
        },
        buffer, size);
}

// GetPrivateProfileStringA over a parsed file (null: the file cannot be read).
std::size_t readProfile(const ParsedProfile* parsed, ProfileArg section, ProfileArg key,
                        ProfileArg defaultValue, char* buffer, std::size_t size,
                        SectionMemo* memo = nullptr) {
    if (buffer == nullptr || size == 0) return 0;
    if (!section) return copySectionNames(parsed, buffer, size);
    const Section* found = findSection(parsed, trimSpaces(argText(*section)), memo);
    if (!key) return copyKeyNames(parsed, found, buffer, size);

    if (found != nullptr) {
        const Entry* entry = parsed->findKey(*found, trimSpaces(argText(*key)));
        if (entry != nullptr && entry->hasValue())
            return copyText(parsed->value(*entry), buffer, size);
    }
    // The default loses trailing spaces only; its leading blanks, TABs and the like stay.
    std::string_view fallback = defaultValue ? argText(*defaultValue) : std::string_view{};
    while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
    return copyText(fallback, buffer, size);
}

// A shared read looks at its file again after this long.
constexpr auto kSharedLookInterval = std::chrono::milliseconds(1);
// ... and reads the clock once in this many reads.
constexpr unsigned kReadsPerClockLook = 16;

}  // namespace

std::size_t getPrivateProfileString(ProfileArg section, ProfileArg key, ProfileArg defaultValue,
                                    char* buffer, std::size_t size, const std::string& file) {
    if (buffer == nullptr || size == 0) return 0;
    return readProfile(loadProfile(file).get(), section, key, defaultValue, buffer, size);
}

std::size_t getPrivateProfileSectionNames(char* buffer, std::size_t size, const std::string& file) {
    return getPrivateProfileString(std::nullopt, std::nullopt, std::nullopt, buffer, size, file);
}

struct ProfileReads::State {
    struct Held {
        std::string path;
        std::shared_ptr<const ParsedProfile> parsed;  // null: the file cannot be read
        std::uint64_t generation = 0;                 // of the cache just before the last look
        std::chrono::steady_clock::time_point lookedAt;
        SectionMemo memo;
        bool used = false;
    };
    // The builder reads one file under two spellings at most (the lists take the name as
    // given, the values without leading blanks); more come and go.
    Held held[2];
    std::size_t next = 0;  // the one to replace
    unsigned reads = 0;

    Held& heldFor(const std::string& file) {
        ++reads;
        const std::uint64_t generation = cacheGeneration.load(std::memory_order_acquire);
        for (Held& h : held) {
            if (!h.used || h.path != file) continue;
            const bool stale =
                h.generation != generation ||
                (reads % kReadsPerClockLook == 0 &&
                 std::chrono::steady_clock::now() - h.lookedAt >= kSharedLookInterval);
            if (stale) look(h, generation);
            return h;
        }
        Held& h = held[next];
        next = (next + 1) % std::size(held);
        h.path = file;
        h.used = true;
        look(h, generation);
        return h;
    }

    // A parse that this look itself takes into the cache moves the generation too; the next
    // read then looks once more, which costs one stat().
    static void look(Held& h, std::uint64_t generation) {
        auto parsed = loadProfile(h.path);
        if (parsed != h.parsed) h.memo = SectionMemo();
        h.parsed = std::move(parsed);
        h.generation = generation;
        h.lookedAt = std::chrono::steady_clock::now();
    }
};

ProfileReads::ProfileReads() : state_(std::make_unique<State>()) {}
ProfileReads::~ProfileReads() = default;

std::size_t ProfileReads::getPrivateProfileString(ProfileArg section, ProfileArg key,
                                                  ProfileArg defaultValue, char* buffer,
                                                  std::size_t size, const std::string& file) {
    if (buffer == nullptr || size == 0) return 0;
    State::Held& held = state_->heldFor(file);
    return readProfile(held.parsed.get(), section, key, defaultValue, buffer, size, &held.memo);
}

std::size_t ProfileReads::getPrivateProfileSectionNames(char* buffer, std::size_t size,
                                                        const std::string& file) {
    return getPrivateProfileString(std::nullopt, std::nullopt, std::nullopt, buffer, size, file);
}

void prepareProfile(const std::string& file) {
    (void)loadProfile(file);
}

std::uint64_t profileParseCount() {
    return parseCounter.load(std::memory_order_relaxed);
}

void clearProfileCache() {
    std::lock_guard lock(cacheMutex());
    cache().clear();
    cacheGeneration.fetch_add(1, std::memory_order_release);
}

}  // namespace lxtv::platform
