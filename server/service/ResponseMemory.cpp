#include "ResponseMemory.h"

ResponseMemory::ResponseMemory(const DataVersionWatch& watch, Limits limits)
    : watch(watch), limits(limits), generation(watch.generation()) {}

void ResponseMemory::follow() {
    const std::uint64_t now = watch.generation();
    if (now == generation) return;
    generation = now;
    clear();
}

std::shared_ptr<const HttpResponse> ResponseMemory::find(const std::string& key, std::int64_t now) {
    follow();
    const auto found = entries.find(key);
    if (found == entries.end() || now - found->second.created >= limits.lifetimeSeconds ||
        now < found->second.created) {
        return nullptr;
    }
    return found->second.response;
}

void ResponseMemory::keep(const std::string& key, std::uint64_t readIn, std::int64_t now,
                          std::shared_ptr<const HttpResponse> response) {
    follow();
    if (readIn != generation) return;
    const std::size_t size = key.size() + response->head.size() + response->body.size();
    if (size > limits.maxBytes) return;
    const auto old = entries.find(key);
    if (old != entries.end()) {
        bytes -= key.size() + old->second.response->head.size() + old->second.response->body.size();
        entries.erase(old);
    }
    if (entries.size() >= limits.maxEntries || bytes + size > limits.maxBytes) {
        // Full, perhaps of responses nobody asks for again: start over.
        clear();
    }
    entries.emplace(key, Entry{std::move(response), now});
    bytes += size;
}

void ResponseMemory::clear() {
    entries.clear();
    bytes = 0;
}
