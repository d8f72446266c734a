#pragma once
// Rendered answers kept in memory by key, each for a limited time, and all of
// them dropped as soon as the database changes. A change is any commit by
// another connection, also from another process, seen through SQLite's
// data_version on a connection of the cache's own. Safe for many threads.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "Database.h"
#include "HttpMessage.h"

class AnswerCache {
public:
    struct Limits {
        std::int64_t lifetimeSeconds = 60;
        std::size_t maxEntries = 10000;
        std::size_t maxBytes = 64 * 1024 * 1024;
    };

    AnswerCache(const std::string& dbPath, Limits limits);

    // Looks at the database: drops every answer when it changed since the last look. Returns
    // the generation that answers read from now on belong to, or nothing when the database
    // couldn't be asked.
    std::optional<std::uint64_t> refresh();
    // The answer under key, if one younger than the lifetime is kept.
    std::shared_ptr<const HttpAnswer> find(const std::string& key, std::int64_t now);
    // Keeps an answer that was read after refresh() returned generation; one read before the
    // latest change is not kept.
    void keep(const std::string& key, std::uint64_t generation, std::int64_t now,
              std::shared_ptr<const HttpAnswer> answer);

private:
    struct Entry {
        std::shared_ptr<const HttpAnswer> answer;
        std::int64_t created = 0;
    };

    void clear();

    Limits limits;
    std::mutex mutex;
    Database db;
    Statement dataVersion;
    std::int64_t lastVersion = -1;
    std::uint64_t generation = 0;
    std::unordered_map<std::string, Entry> entries;
    std::size_t bytes = 0;
};
