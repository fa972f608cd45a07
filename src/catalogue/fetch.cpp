#include "catalogue/fetch.h"

#include "platform/debug.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "site/site.h"

namespace lxtv::catalogue {

std::string localCopyPath() {
    return platform::dataDirectory() + "/LXTV.ini";
}

platform::Seam<CatalogueSource()> catalogueSource([] {
    return CatalogueSource{site::siteAddress(site::cataloguePath), localCopyPath()};
});

Fetch fetchCatalogue() {
    const CatalogueSource source = catalogueSource();
    Fetch fetch;
    fetch.download = platform::downloadBody(source.address);
    // A failed or partial download keeps the previous copy: an empty or cut catalogue would
    // leave the viewer with fewer channels than before.
    if (!fetch.download.complete) {
        platform::debugLine("catalogue kept: " + platform::describe(fetch.download));
        return fetch;
    }
    const platform::WriteResult written =
        platform::writeFileBytes(source.localPath, fetch.download.body);
    fetch.stored = written.ok;
    fetch.writeError = written.error;
    if (!written) {
        platform::debugLine("catalogue kept: writing " + source.localPath + ": " + written.error);
        return fetch;
    }
    // The new copy is parsed here, on whatever thread fetches, so that neither the first
    // channel picked after a data sync nor the tree build has to parse it.
    platform::prepareProfile(source.localPath);
    return fetch;
}

}  // namespace lxtv::catalogue
