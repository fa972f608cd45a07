#include "platform/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/debug.h"

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

namespace {

// Whether this user can create a file in the folder, found out by creating (and removing) one:
// permission bits alone miss read-only mounts, access lists and file systems that take no files.
bool canCreateFilesIn(const std::string& folder) {
    std::string probe = folder + "/.lxtv-probe-XXXXXX";  // the empty folder is the root
    const int fd = mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

}  // namespace

std::string chooseDataDirectory(const std::string& programFolder,
                                const std::string& userDataFolder) {
    if (canCreateFilesIn(programFolder) || userDataFolder.empty()) return programFolder;
    std::error_code ec;
    std::filesystem::create_directories(userDataFolder, ec);
    if (!std::filesystem::is_directory(userDataFolder, ec)) return programFolder;
    std::string folder = userDataFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

const std::string& dataDirectory() {
    static const std::string decided = [] {
        const QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        std::string folder =
            chooseDataDirectory(runDirectory(), QFile::encodeName(location).toStdString());
        debugLine("catalogue copy kept in " + (folder.empty() ? std::string("/") : folder));
        return folder;
    }();
    return decided;
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
