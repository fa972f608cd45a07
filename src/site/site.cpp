#include "site/site.h"

#include "build_config.h"

namespace lxtv::site {

std::string siteAddress(const char* path) {
    return std::string(config::ProviderSite) + path;
}

}  // namespace lxtv::site
