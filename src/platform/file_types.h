#pragma once

// File-type associations and their icons, answered from the desktop's freedesktop data in the
// shape the Windows class registry gives them:
//   key ".ext", default value        -> the extension's MIME type ("video/x-msvideo")
//   key "<MIME type>\DefaultIcon"    -> "<icon file of that type in the icon theme>,0"
// Registry paths keep "\" as their separator, since MIME type names contain "/".
// Every failure reads as empty text or a null image; nothing is reported.

#include <QImage>
#include <optional>
#include <string>

#include "platform/seam.h"

namespace lxtv::platform {

// `fullPath` is a key path, "\", then a value name; a path ending in "\" names the key's
// default value. Empty text when the key or the value does not exist.
std::string readRegistryText(const std::string& fullPath);

// The key lookup behind readRegistryText: (key path, value name) -> the value, or nullopt for
// a missing key or value. Answered from the freedesktop data; tests stand in for it.
extern Seam<std::optional<std::string>(const std::string& keyPath, const std::string& valueName)>
    registryLookup;

// The file name that, in the folder below (or bare), stands for the stock icon library whose
// icon 0 is the theme's generic video icon.
inline constexpr char stockIconLibrary[] = "shell32.dll";

// The folder of the system's stock icons, ending in "/"; empty text when there is none.
std::string systemFolderPath();

// The icon `index` of `iconFile` at 32 by 32 pixels. A picture file holds one icon, index 0;
// other indexes, files that are no pictures, and missing files give a null image.
QImage extractIcon(const std::string& iconFile, int index);

// The file of the icon named `iconName` (e.g. "video-x-generic") in the current icon theme,
// its parents, Adwaita or hicolor, preferring the 32 by 32 size; empty text when none.
std::string iconThemeFile(const std::string& iconName);

}  // namespace lxtv::platform
