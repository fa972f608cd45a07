#include "platform/file_types.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/ascii.h"

namespace lxtv::platform {
namespace {

constexpr int kIconSize = 32;
constexpr const char* kGenericVideoIcon = "video-x-generic";

QString qs(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
std::string bytesOf(const QString& text) {
    const QByteArray b = text.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

std::vector<std::filesystem::path> iconBaseFolders() {
    std::vector<std::filesystem::path> out;
    for (const QString& p : QIcon::themeSearchPaths())
        if (!p.startsWith(':')) out.emplace_back(p.toStdString());
    for (const char* p : {"/usr/share/icons", "/usr/local/share/icons"})
        if (std::find(out.begin(), out.end(), std::filesystem::path(p)) == out.end())
            out.emplace_back(p);
    return out;
}

std::vector<std::string> parentThemes(const std::string& theme) {
    std::error_code ec;
    for (const auto& base : iconBaseFolders()) {
        const auto index = base / theme / "index.theme";
        if (!std::filesystem::exists(index, ec)) continue;
        QFile file(QString::fromStdString(index.string()));
        if (!file.open(QIODevice::ReadOnly)) continue;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (!line.startsWith("Inherits=")) continue;
            std::vector<std::string> out;
            for (const QString& name : line.mid(9).split(',', Qt::SkipEmptyParts))
                out.push_back(name.trimmed().toStdString());
            return out;
        }
        return {};
    }
    return {};
}

// The desktop's theme and its parents first. A headless or minimal session may name no theme
// at all, so Adwaita (the GTK default) comes before hicolor, the theme every system has.
std::vector<std::string> themeOrder() {
    std::vector<std::string> order;
    std::set<std::string> seen;
    std::vector<std::string> pending;
    if (!QIcon::themeName().isEmpty()) pending.push_back(QIcon::themeName().toStdString());
    while (!pending.empty()) {
        const std::string theme = pending.front();
        pending.erase(pending.begin());
        if (!seen.insert(theme).second) continue;
        order.push_back(theme);
        for (auto& parent : parentThemes(theme)) pending.push_back(parent);
    }
    for (const char* t : {"Adwaita", "hicolor"})
        if (seen.insert(t).second) order.push_back(t);
    return order;
}

// How well a theme folder's size suits a 32 by 32 icon: the exact size, then scalable, then the
// nearest larger, then the nearest smaller. -1 for a folder that names no size.
int sizeRank(const std::string& folderName) {
    if (folderName.rfind("scalable", 0) == 0) return 1;
    int size = 0;
    std::size_t i = 0;
    while (i < folderName.size() && folderName[i] >= '0' && folderName[i] <= '9' && size < 10000)
        size = size * 10 + (folderName[i++] - '0');
    if (i == 0) return -1;
    if (i < folderName.size() && folderName[i] != 'x' && folderName[i] != '@') return -1;
    if (size == kIconSize) return 0;
    if (size > kIconSize) return 2 + (size - kIconSize);
    return 100000 + (kIconSize - size);
}

// Visits the entries of a folder. The non-throwing increment throughout: an I/O error in the
// middle of a listing (a disk going away, a network folder dropping) ends the walk with what was
// seen so far, where the throwing one would end the program.
template <typename Visit>
void forEachEntry(const std::filesystem::path& folder, Visit&& visit) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec))
        visit(*it);
}

std::string findInTheme(const std::filesystem::path& themeDir, const std::string& iconName) {
    std::error_code ec;
    std::string best;
    int bestRank = -1;
    auto consider = [&](const std::filesystem::path& dir, int rank) {
        if (rank < 0 || (bestRank >= 0 && rank >= bestRank)) return;
        for (const char* ext : {".png", ".svg", ".xpm"}) {
            const auto file = dir / (iconName + ext);
            if (std::filesystem::is_regular_file(file, ec)) {
                best = file.string();
                bestRank = rank;
                return;
            }
        }
    };
    // Themes lay out either <size>/<context>/ or <context>/<size>/.
    forEachEntry(themeDir, [&](const std::filesystem::directory_entry& first) {
        if (!first.is_directory(ec)) return;
        const int firstRank = sizeRank(first.path().filename().string());
        forEachEntry(first.path(), [&](const std::filesystem::directory_entry& second) {
            if (!second.is_directory(ec)) return;
            const int rank =
                firstRank >= 0 ? firstRank : sizeRank(second.path().filename().string());
            consider(second.path(), rank);
        });
    });
    return best;
}

std::optional<std::string> freedesktopLookup(const std::string& keyPath,
                                             const std::string& valueName) {
    if (!valueName.empty()) return std::nullopt;  // only default values exist here
    static const QMimeDatabase db;
    if (!keyPath.empty() && keyPath[0] == '.' && keyPath.find('\\') == std::string::npos) {
        const QList<QMimeType> types = db.mimeTypesForFileName(qs("file" + keyPath));
        if (types.isEmpty()) return std::nullopt;
        // A class key names one program identifier, but a name alone may fit several types
        // (".ts": a translation source or an MPEG transport stream). Only video files are asked
        // about, so a video type wins; otherwise the database's first answer.
        for (const QMimeType& type : types)
            if (type.name().startsWith(QLatin1String("video/"))) return bytesOf(type.name());
        return bytesOf(types.first().name());
    }
    static const std::string suffix = "\\DefaultIcon";
    if (keyPath.size() > suffix.size() &&
        equalsIgnoringAsciiCase(std::string_view(keyPath).substr(keyPath.size() - suffix.size()),
                                suffix)) {
        const QMimeType type =
            db.mimeTypeForName(qs(keyPath.substr(0, keyPath.size() - suffix.size())));
        if (!type.isValid()) return std::nullopt;
        for (const QString& name : {type.iconName(), type.genericIconName()}) {
            const std::string file = iconThemeFile(bytesOf(name));
            if (!file.empty()) return file + ",0";
        }
    }
    return std::nullopt;
}

QImage loadIconFile(const std::string& path) {
    QImageReader reader(qs(path));
    // Scalable pictures are drawn at the wanted size instead of being scaled afterwards.
    if (reader.format() == "svg" || reader.format() == "svgz")
        reader.setScaledSize(QSize(kIconSize, kIconSize));
    QImage image = reader.read();
    if (image.isNull()) return {};
    if (image.size() != QSize(kIconSize, kIconSize))
        image = image.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

Seam<std::optional<std::string>(const std::string&, const std::string&)> registryLookup(
    freedesktopLookup);

std::string readRegistryText(const std::string& fullPath) {
    // Split at the last "\": the bytes here come from file names (UTF-8), whose bytes of 0x80
    // and above never stand for "\", so a byte-wise scan is exact.
    const std::size_t cut = fullPath.rfind('\\');
    const std::string keyPath = cut == std::string::npos ? std::string() : fullPath.substr(0, cut);
    const std::string valueName = cut == std::string::npos ? fullPath : fullPath.substr(cut + 1);
    std::optional<std::string> value = registryLookup(keyPath, valueName);
    if (!value) return {};
    // A string value ends at its first zero byte.
    const std::size_t zero = value->find('\0');
    if (zero != std::string::npos) value->resize(zero);
    return *value;
}

std::string systemFolderPath() {
    std::error_code ec;
    for (const auto& base : iconBaseFolders()) {
        if (!std::filesystem::is_directory(base, ec)) continue;
        std::string path = base.string();
        if (path.empty() || path.back() != '/') path += '/';
        return path;
    }
    return {};
}

std::string iconThemeFile(const std::string& iconName) {
    if (iconName.empty() || iconName.find('/') != std::string::npos) return {};
    static std::map<std::string, std::string> cache;
    if (auto it = cache.find(iconName); it != cache.end()) return it->second;
    std::string found;
    std::error_code ec;
    for (const auto& theme : themeOrder()) {
        for (const auto& base : iconBaseFolders()) {
            const auto dir = base / theme;
            if (!std::filesystem::is_directory(dir, ec)) continue;
            found = findInTheme(dir, iconName);
            if (!found.empty()) break;
        }
        if (!found.empty()) break;
    }
    if (found.empty())
        for (const char* ext : {".png", ".svg", ".xpm"}) {
            const std::string file = "/usr/share/pixmaps/" + iconName + ext;
            if (std::filesystem::is_regular_file(file, ec)) {
                found = file;
                break;
            }
        }
    cache.emplace(iconName, found);
    return found;
}

QImage extractIcon(const std::string& iconFile, int index) {
    const std::size_t slash = iconFile.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : iconFile.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? iconFile : iconFile.substr(slash + 1);
    if (equalsIgnoringAsciiCase(name, stockIconLibrary) &&
        (folder.empty() || folder == systemFolderPath())) {
        if (index != 0) return {};
        const std::string generic = iconThemeFile(kGenericVideoIcon);
        return generic.empty() ? QImage() : loadIconFile(generic);
    }
    if (index != 0 || iconFile.empty()) return {};
    return loadIconFile(iconFile);
}

}  // namespace lxtv::platform
