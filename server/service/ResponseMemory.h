#pragma once
// Responses kept in memory by key, each for a limited time, and all of them
// dropped as soon as the database's generation moves on. For the event loop's
// thread alone: nothing here waits.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "DataVersionWatch.h"
#include "HttpResponse.h"

class ResponseMemory {
public:
    struct Limits {
        std::int64_t lifetimeSeconds = 60;
        std::size_t maxEntries = 10000;
        std::size_t maxBytes = 64 * 1024 * 1024;
    };

    ResponseMemory(const DataVersionWatch& watch, Limits limits);

    // The response under key, if one younger than the lifetime is kept.
    std::shared_ptr<const HttpResponse> find(const std::string& key, std::int64_t now);
    // Keeps a response read from the database in the given generation; one read in an older
    // generation is not kept.
    void keep(const std::string& key, std::uint64_t readIn, std::int64_t now,
              std::shared_ptr<const HttpResponse> response);

private:
    struct Entry {
        std::shared_ptr<const HttpResponse> response;
        std::int64_t created = 0;
    };

    // Drops everything when the database changed since the last look.
    void follow();
    void clear();

    const DataVersionWatch& watch;
    Limits limits;
    std::uint64_t generation = 0;
    std::unordered_map<std::string, Entry> entries;
    std::size_t bytes = 0;
};
