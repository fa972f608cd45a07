#include "browser/site.h"

#include "build_config.h"

namespace lxtv::browser {

std::string siteAddress(const char* path) {
    return std::string(config::ProviderSite) + path;
}

}  // namespace lxtv::browser
