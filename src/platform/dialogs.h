#pragma once

// Stand-ins for the two prompts the browser view needs from the desktop: where to save a
// download, and a user name and password for a site or proxy that asks for them. Both are
// modal over the whole application and return when the viewer has answered.

#include <QString>
#include <optional>

#include "platform/seam.h"

namespace lxtv::platform {

// The save dialog, opening on `proposed` (a full path: folder and file name). Returns the path
// chosen, or nothing when the viewer cancels.
std::optional<QString> askSavePath(const QString& proposed);

struct CredentialsQuestion {
    QString host;   // who asks: the site's or the proxy's host
    QString realm;  // the realm the server names, possibly empty
    bool proxy = false;
};
struct Credentials {
    QString user;
    QString password;
};

// The credentials prompt. Returns nothing when the viewer cancels.
std::optional<Credentials> askCredentials(const CredentialsQuestion& question);

// What the two prompts ask with; tests stand in for them to answer without a dialog.
extern Seam<std::optional<QString>(const QString&)> savePathAsker;
extern Seam<std::optional<Credentials>(const CredentialsQuestion&)> credentialsAsker;

}  // namespace lxtv::platform
