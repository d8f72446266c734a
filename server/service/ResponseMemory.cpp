#include "ResponseMemory.h"

namespace {

// What a kept response costs: its bytes, its key twice and the bookkeeping around them.
std::size_t sizeOf(const std::string& key, const HttpResponse& response) {
    return 2 * key.size() + response.head.size() + response.body.size() +
           (response.notModified ? response.notModified->head.size() : 0) + 128;
}

}  // namespace

void ResponseMemory::follow(std::uint64_t now) {
    if (now == generation) return;
    generation = now;
    clear();
}

std::shared_ptr<const HttpResponse> ResponseMemory::find(const std::string& key,
                                                         std::int64_t nowMs) {
    const auto found = byKey.find(key);
    if (found == byKey.end()) return nullptr;
    const Order::iterator entry = found->second;
    // A clock set back counts as expired too.
    if (nowMs >= entry->expiresMs || nowMs < entry->createdMs) {
        erase(entry);
        return nullptr;
    }
    order.splice(order.begin(), order, entry);
    return entry->response;
}

void ResponseMemory::keep(const std::string& key, std::uint64_t readIn, std::int64_t nowMs,
                          std::int64_t lifetimeMs, std::shared_ptr<const HttpResponse> response) {
    if (readIn != generation) return;
    const std::size_t size = sizeOf(key, *response);
    if (size > limits.maxBytes || limits.maxEntries == 0) return;
    if (const auto old = byKey.find(key); old != byKey.end()) erase(old->second);
    while (!order.empty() && (byKey.size() >= limits.maxEntries || total + size > limits.maxBytes))
        erase(std::prev(order.end()));
    order.push_front({key, std::move(response), nowMs, nowMs + lifetimeMs, size});
    byKey.emplace(key, order.begin());
    total += size;
}

void ResponseMemory::erase(Order::iterator entry) {
    total -= entry->size;
    byKey.erase(entry->key);
    order.erase(entry);
}

void ResponseMemory::clear() {
    order.clear();
    byKey.clear();
    total = 0;
}
