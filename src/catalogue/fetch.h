#pragma once

// The catalogue's download into its local copy.

#include <string>

#include "platform/http.h"
#include "platform/seam.h"

namespace lxtv::catalogue {

// Outcome of one fetch. Only `stored` reaches the viewer; the rest says why, for tests and the
// debug line.
struct Fetch {
    bool stored = false;  // the new copy replaced the local one
    platform::Download download;
    std::string writeError;  // why a complete download could not be stored
};

// The local copy: "LXTV.ini" in platform::dataDirectory(), the same file for the whole run.
std::string localCopyPath();

// Downloads ProviderSite + "/LXTV.ini" into localCopyPath(). Only a complete 2xx body replaces
// the local copy; a failed or partial one keeps it. A new copy is parsed into the reader's cache
// before this returns.
Fetch fetchCatalogue();

// Where fetchCatalogue gets the catalogue from and puts it.
struct CatalogueSource {
    std::string address;    // the catalogue on the provider's site
    std::string localPath;  // the local copy
};
// Tests point it at a site and a folder of their own; not a user setting.
extern platform::Seam<CatalogueSource()> catalogueSource;

}  // namespace lxtv::catalogue
