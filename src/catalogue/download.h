#pragma once

// The catalogue's download and its local copy.

#include <string>

namespace lxtv::catalogue {

// Outcome of one HTTP GET. `complete` is true only for a 2xx answer whose body arrived whole.
struct Download {
    bool complete = false;
    long status = 0;   // HTTP status, 0 when no answer came
    std::string body;  // the bytes that arrived (also of an error answer or a broken transfer)
};

// GET `address` as the client always has (HTTP/1.0, its agent string, "Accept: */*", no cache,
// proxy from the environment), with connect and no-data time-outs.
Download downloadBody(const std::string& address);

// Writes `bytes` to `path` through a temporary file beside it renamed over it, so a reader
// never sees a half-written file. False when the path is empty or nothing could be written
// (the old content then stays).
bool writeFileBytes(const std::string& path, const std::string& bytes);

// Downloads ProviderSite + "/LXTV.ini" into runDirectory() + "/LXTV.ini". Only a complete 2xx
// body replaces the local copy. True when the new copy was stored.
bool fetchCatalogue();

// Test seam: shortens the connect and no-data time-outs (seconds). Not a user setting.
void setDownloadTimeoutsForTesting(long connectSeconds, long idleSeconds);

// Test seam: fetchCatalogue downloads siteBase + "/LXTV.ini" into localPath instead of
// ProviderSite and the run directory; an empty text restores the default of its part. Not a
// user setting.
void setCatalogueSourceForTesting(const std::string& siteBase, const std::string& localPath);

}  // namespace lxtv::catalogue
