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
void forEachPiece(const std::string& buffer, bool stopAtEmpty, Each each) {
    std::size_t pos = 0;
    while (pos < buffer.size()) {
        std::size_t zero = buffer.find('\0', pos);
        if (zero == std::string::npos) zero = buffer.size();
        if (zero == pos) {
            if (stopAtEmpty) return;
        } else {
            each(std::string_view(buffer).substr(pos, zero - pos));
        }
        pos = zero + 1;
    }
}

}  // namespace

std::string readCatalogueValue(const std::string& file, const std::string& section,
                               const std::string& key) {
    const std::string_view fileName = withoutLeadingControls(file);
    const std::string_view sectionName = withoutLeadingControls(section);
    const std::string_view keyName = withoutLeadingControls(key);
    if (fileName.empty() || sectionName.empty() || keyName.empty()) return {};

    const auto buffer = std::make_unique_for_overwrite<char[]>(kValueBuffer);
    const std::size_t length = platform::getPrivateProfileString(
        sectionName, keyName, std::nullopt, buffer.get(), kValueBuffer, std::string(fileName));
    return std::string(buffer.get(), length);
}

std::vector<std::string> listCatalogueSections(const std::string& file) {
    std::string buffer(kSectionListBuffer, '\0');
    platform::getPrivateProfileSectionNames(buffer.data(), buffer.size(), file);
    std::vector<std::string> names;
    forEachPiece(buffer, true, [&](std::string_view name) { names.emplace_back(name); });
    return names;
}

std::string listSectionKeys(const std::string& file, const std::string& section) {
    std::string buffer(kKeyListBuffer, '\0');
    platform::getPrivateProfileString(section, std::nullopt, "", buffer.data(), buffer.size(),
                                      file);
    // Every piece of the whole buffer that holds a byte counts, so a name cut short by the
    // buffer is kept under its cut name.
    std::string joined;
    forEachPiece(buffer, false, [&](std::string_view name) {
        joined.append(name);
        joined.append("\r\n");
    });
    if (joined.size() >= 2) joined.resize(joined.size() - 2);
    return joined;
}

}  // namespace lxtv::catalogue
