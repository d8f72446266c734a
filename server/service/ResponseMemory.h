#pragma once
// Responses kept in memory by key, each until it expires, and all of them
// dropped as soon as the data's generation moves on. Bounded in entries and in
// bytes: past either bound the least recently used go first, so that answers
// asked for often stay whatever else is asked. For the event loop's thread
// alone: nothing here waits.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "HttpResponse.h"

class ResponseMemory {
public:
    struct Limits {
        std::size_t maxEntries = 10000;
        std::size_t maxBytes = 64 * 1024 * 1024;
    };

    explicit ResponseMemory(Limits limits) : limits(limits) {}

    // Drops everything kept when the data's generation is no longer the one seen last.
    void follow(std::uint64_t generation);
    // The response under key, if one is kept and not expired; it becomes the most recently used.
    std::shared_ptr<const HttpResponse> find(const std::string& key, std::int64_t nowMs);
    // Keeps a response read in the given generation for lifetimeMs; one read in an older
    // generation is not kept.
    void keep(const std::string& key, std::uint64_t readIn, std::int64_t nowMs,
              std::int64_t lifetimeMs, std::shared_ptr<const HttpResponse> response);

    std::size_t entries() const { return byKey.size(); }
    std::size_t bytes() const { return total; }

private:
    struct Entry {
        std::string key;
        std::shared_ptr<const HttpResponse> response;
        std::int64_t createdMs = 0;
        std::int64_t expiresMs = 0;
        std::size_t size = 0;
    };
    using Order = std::list<Entry>;  // the most recently used first

    void erase(Order::iterator entry);
    void clear();

    Limits limits;
    std::uint64_t generation = 0;
    Order order;
    std::unordered_map<std::string, Order::iterator> byKey;
    std::size_t total = 0;
};
