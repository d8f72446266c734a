#pragma once
// The listings and picture servers' hosts (host[:port], plain HTTP), read from
// the configuration keys "/matchray/listings_host" and "/matchray/pictures_host".
// Both default to "127.0.0.1:8080", where the reference server listens by default.

#include <string>

class ServerSettings {
public:
    static std::string listingsHost();
    static std::string picturesHost();
};
