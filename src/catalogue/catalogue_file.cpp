#include "catalogue/catalogue_file.h"

#include <memory>
#include <optional>
#include <string_view>

#include "platform/profile.h"

namespace lxtv::catalogue {
namespace {

constexpr std::size_t kValueBuffer = 10'240;
constexpr std::size_t kSectionListBuffer = 204'800;
constexpr std::size_t kKeyListBuffer = 256;

// The text as a C string would carry it, without its leading control characters and spaces
// (bytes 1..32).
std::string_view withoutLeadingControls(const std::string& text) {
    std::string_view view(text.c_str());
    std::size_t i = 0;
    while (i < view.size() && static_cast<unsigned char>(view[i]) >= 1 &&
           static_cast<unsigned char>(view[i]) <= 32)
        ++i;
    return view.substr(i);
}

// Splits a zero-separated list into its pieces; an empty piece ends it when `stopAtEmpty`,
// otherwise empty pieces are skipped and the whole buffer is walked.
template <typename Each>
void forEachPiece(std::string_view buffer, bool stopAtEmpty, Each each) {
    std::size_t pos = 0;
    while (pos < buffer.size()) {
        std::size_t zero = buffer.find('\0', pos);
        if (zero == std::string_view::npos) zero = buffer.size();
        if (zero == pos) {
            if (stopAtEmpty) return;
        } else {
            each(buffer.substr(pos, zero - pos));
        }
        pos = zero + 1;
    }
}

// The reads alone: a fresh look at the file for each.
struct LookEachTime {
    std::size_t operator()(platform::ProfileArg section, platform::ProfileArg key,
                           platform::ProfileArg fallback, char* buffer, std::size_t size,
                           const std::string& file) const {
        return platform::getPrivateProfileString(section, key, fallback, buffer, size, file);
    }
};

// The reads that share their looks at the file.
struct Shared {
    platform::ProfileReads& reads;
    std::size_t operator()(platform::ProfileArg section, platform::ProfileArg key,
                           platform::ProfileArg fallback, char* buffer, std::size_t size,
                           const std::string& file) const {
        return reads.getPrivateProfileString(section, key, fallback, buffer, size, file);
    }
};

// The value into a buffer of 10,240 bytes; returns its length.
template <typename Read>
std::size_t readValueInto(Read read, const std::string& file, const std::string& section,
                          const std::string& key, char* buffer) {
    const std::string_view fileName = withoutLeadingControls(file);
    const std::string_view sectionName = withoutLeadingControls(section);
    const std::string_view keyName = withoutLeadingControls(key);
    if (fileName.empty() || sectionName.empty() || keyName.empty()) return 0;
    return read(sectionName, keyName, std::nullopt, buffer, kValueBuffer,
                fileName.size() == file.size() ? file : std::string(fileName));
}

// The tree build reads every channel's value: one buffer per thread, not one per read.
char* valueBuffer() {
    thread_local const std::unique_ptr<char[]> buffer =
        std::make_unique_for_overwrite<char[]>(kValueBuffer);
    return buffer.get();
}

template <typename Read>
std::string readValue(Read read, const std::string& file, const std::string& section,
                      const std::string& key) {
    char* buffer = valueBuffer();
    return std::string(buffer, readValueInto(read, file, section, key, buffer));
}

template <typename Read>
std::vector<std::string> listSections(Read read, const std::string& file) {
    std::string buffer(kSectionListBuffer, '\0');
    read(std::nullopt, std::nullopt, std::nullopt, buffer.data(), buffer.size(), file);
    std::vector<std::string> names;
    forEachPiece(buffer, true, [&](std::string_view name) { names.emplace_back(name); });
    return names;
}

template <typename Read>
std::string listKeys(Read read, const std::string& file, const std::string& section) {
    char buffer[kKeyListBuffer] = {};
    read(section, std::nullopt, "", buffer, kKeyListBuffer, file);
    // Every piece of the whole buffer that holds a byte counts, so a name cut short by the
    // buffer is kept under its cut name.
    std::string joined;
    forEachPiece(std::string_view(buffer, kKeyListBuffer), false, [&](std::string_view name) {
        joined.append(name);
        joined.append("\r\n");
    });
    if (joined.size() >= 2) joined.resize(joined.size() - 2);
    return joined;
}

}  // namespace

std::string readCatalogueValue(const std::string& file, const std::string& section,
                               const std::string& key) {
    return readValue(LookEachTime{}, file, section, key);
}

std::string readCatalogueValue(platform::ProfileReads& reads, const std::string& file,
                               const std::string& section, const std::string& key) {
    return readValue(Shared{reads}, file, section, key);
}

char readChannelKind(platform::ProfileReads& reads, const std::string& file,
                     const std::string& section, const std::string& key) {
    char* buffer = valueBuffer();
    return readValueInto(Shared{reads}, file, section, key, buffer) == 0 ? '\0' : buffer[0];
}

std::vector<std::string> listCatalogueSections(const std::string& file) {
    return listSections(LookEachTime{}, file);
}

std::vector<std::string> listCatalogueSections(platform::ProfileReads& reads,
                                               const std::string& file) {
    return listSections(Shared{reads}, file);
}

std::string listSectionKeys(const std::string& file, const std::string& section) {
    return listKeys(LookEachTime{}, file, section);
}

std::string listSectionKeys(platform::ProfileReads& reads, const std::string& file,
                            const std::string& section) {
    return listKeys(Shared{reads}, file, section);
}

}  // namespace lxtv::catalogue
