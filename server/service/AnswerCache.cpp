#include "AnswerCache.h"

#include "DatabaseError.h"

AnswerCache::AnswerCache(const std::string& dbPath, Limits limits)
    : limits(limits),
      db(dbPath, Database::Mode::existing),
      dataVersion(db.prepare("PRAGMA data_version")) {}

std::optional<std::uint64_t> AnswerCache::refresh() {
    std::lock_guard<std::mutex> lock(mutex);
    std::int64_t version = 0;
    try {
        const bool row = dataVersion.step();
        version = row ? dataVersion.integer(0) : -1;
        dataVersion.reset();
    } catch (const DatabaseError&) {
        dataVersion.reset();
        return std::nullopt;
    }
    if (version != lastVersion) {
        lastVersion = version;
        ++generation;
        clear();
    }
    return generation;
}

std::shared_ptr<const HttpAnswer> AnswerCache::find(const std::string& key, std::int64_t now) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = entries.find(key);
    if (found == entries.end() || now - found->second.created >= limits.lifetimeSeconds ||
        now < found->second.created) {
        return nullptr;
    }
    return found->second.answer;
}

void AnswerCache::keep(const std::string& key, std::uint64_t answerGeneration, std::int64_t now,
                       std::shared_ptr<const HttpAnswer> answer) {
    std::lock_guard<std::mutex> lock(mutex);
    if (answerGeneration != generation) return;
    const std::size_t size = key.size() + answer->head.size() + answer->body.size();
    if (size > limits.maxBytes) return;
    const auto old = entries.find(key);
    if (old != entries.end()) {
        bytes -= key.size() + old->second.answer->head.size() + old->second.answer->body.size();
        entries.erase(old);
    }
    if (entries.size() >= limits.maxEntries || bytes + size > limits.maxBytes) {
        // Full, perhaps of answers nobody asks for again: start over.
        clear();
    }
    entries.emplace(key, Entry{std::move(answer), now});
    bytes += size;
}

void AnswerCache::clear() {
    entries.clear();
    bytes = 0;
}
