#include "ServerSettings.h"

#include <cstdlib>

#include "eConfig.h"

namespace {

std::string hostSetting(const char* key) {
    std::string host;
    char* value = nullptr;
    if (eConfig::instance()->getKey(key, value) == 0 && value) {
        host = value;
        std::free(value);
    }
    return host.empty() ? "127.0.0.1:8080" : host;
}

}  // namespace

std::string ServerSettings::listingsHost() {
    return hostSetting("/matchray/listings_host");
}

std::string ServerSettings::picturesHost() {
    return hostSetting("/matchray/pictures_host");
}
