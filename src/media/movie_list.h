#pragma once

// Folder browsing in the movie list: a double click on a folder item lists that folder's
// subfolders and video files, a double click on a file item hands it to the desktop's opener.
// Paths are the file system's bytes (UTF-8) and "/" separates their parts.

#include <string>
#include <vector>

#include "platform/seam.h"

namespace lxtv::toolkit {
class ListView;
}

namespace lxtv::media {

// Handler of movieList's double click: opens the selected folder in the list, or hands the
// selected file to the desktop's opener.
void onMovieListDoubleClick();

// The handler's work on a given list (the handler passes movieList).
void handleMovieListDoubleClick(toolkit::ListView& list);

// The name patterns of the video files a folder listing shows, searched in this order.
inline constexpr const char* videoFilePatterns =
    "*.rm;*.rmvb;*.avi;*.asf;*.mpeg;*.mpg;*.pmp;*.mkv;*.divx;*.3gp;*.psp;*.wmv;*.vob;*.mov;*.flv;"
    "*.swf;*.ts;*.mp4;*.wma";
std::vector<std::string> videoFilePatternList();

// The path without its trailing "/" separators; a path made of separators only, or an empty
// one, comes back unchanged.
std::string trimTrailingBackslashes(const std::string& path);

// Replaces the list's items with the folder's subfolders (slot 0), then its video files pattern
// by pattern. False, with the list untouched, when the folder cannot be listed. `folderPath`
// is trimmed of trailing separators whatever the outcome.
bool fillMovieList(toolkit::ListView& list, std::string& folderPath);

// ">> " + rootText + the part of folderPath from the first occurrence of rootText to the next
// one (or the end); only ">> " + rootText when rootText is empty or absent.
std::string folderPathCaption(const std::string& rootText, const std::string& folderPath);
// Writes that caption to pathLabel.
void showFolderPath(const std::string& rootText, const std::string& folderPath);

// Where the caption goes: pathLabel. Tests stand in for it.
extern platform::Seam<void(const std::string&)> pathCaptionWriter;

// The extension after the name's last ".", ASCII letters in lower case; empty text for a name
// without a dot or ending in one.
std::string fileExtensionOf(const std::string& name);

// The built-in image list blob: the folder picture in slot 0, the video file in slot 1.
const std::string& defaultListImages();

}  // namespace lxtv::media
