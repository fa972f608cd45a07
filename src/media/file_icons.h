#pragma once

// The icons of the video file types a folder listing meets. Each fill starts from the two
// default pictures and looks every type up once: the type's MIME type and its icon through the
// file-type associations, the icon appended to the image list blob in AppState, which the list
// then shows.

#include <string>
#include <string_view>

#include "media/icon_number.h"

namespace lxtv::toolkit {
class ListView;
}

namespace lxtv::media {

// fileIconImages := the default image list, knownIconExtensions := empty.
void resetFileIcons();

// The file-type step of a fill for a file whose name has an extension: a type met for the
// first time gets its icon appended and the list's image list set again. Gives the slot the
// file's item shows: its type's icon, or 1 (the video-file picture) when none was added.
int addFileTypeIcon(toolkit::ListView& list, const std::string& name,
                    const std::string& folderPath);

// The 1-based position of `ext` among the known extensions, or 0 after appending it.
int findOrAddIconExtension(const std::string& ext);

// Where the icon of the file's type comes from: an icon file and an index within it.
void resolveIconSource(const std::string& path, std::string& iconFile, int& iconIndex);

// Appends the icon to the image list held in `blob`; the slot it took, or -1 with the blob
// unchanged.
int appendIconToImageList(std::string& blob, const std::string& iconFile, int iconIndex);

}  // namespace lxtv::media
