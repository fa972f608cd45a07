#include "platform/files.h"

#include <QFileInfo>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

namespace lxtv::platform {

std::string runDirectory() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    std::string path = exe.string();
    const auto slash = path.rfind('/');
    // The program file's path cut before its last separator; the root stays "/"-less like a
    // drive root would ("" + "/LXTV.ini" is still the right file).
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

WriteResult writeFileBytes(const std::string& path, const std::string& bytes) {
    if (path.empty() || path.back() == '/') return {false, "no file name"};
    const QString name = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    // QSaveFile writes a temporary file in the same folder and renames it over the copy only
    // once every byte is on disk. It refuses a copy that may not be written (renaming over it
    // would get round its own protection) and gives the new file the old one's mode.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) return {false, file.errorString().toStdString()};
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        file.cancelWriting();
        return {false, file.errorString().toStdString()};
    }
    if (!file.commit()) return {false, file.errorString().toStdString()};
    return {true, {}};
}

}  // namespace lxtv::platform
