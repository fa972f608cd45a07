#pragma once

// Files the browser view cannot show (a link to the client's new package, say): the viewer
// picks where to save each, its progress shows in the bottom bar, and a message says how it
// ended.

#include <QString>

class QWebEngineDownloadRequest;

namespace lxtv::browser {

// Handler of the web profile's download request: asks where to save (the Downloads folder and
// the server's file name proposed), then starts the download with its progress shown, or
// cancels it when the viewer does not choose.
void onDownloadRequested(QWebEngineDownloadRequest* download);

// Handler of a shown download's end: a message for a finished or failed download (none when
// the viewer cancelled it), and no partial file left behind.
void onDownloadEnded(QWebEngineDownloadRequest* download);

// Where the engine writes a download before it is complete.
QString partialPathOf(const QString& path);

}  // namespace lxtv::browser
