#include "StorePool.h"

#include <sys/stat.h>

#include <algorithm>

#include "DatabaseError.h"

std::optional<StorePool::FileId> StorePool::idOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

StorePool::StorePool(const std::string& path, int connections) {
    const std::optional<FileId> before = idOf(path);
    watchDb = std::make_unique<Database>(path, Database::Mode::existing);
    dataVersionQuery.emplace(watchDb->prepare("PRAGMA data_version"));
    for (int i = 0; i < std::max(connections, 1); ++i)
        idle.push_back(std::make_unique<ListingsStore>(Database(path, Database::Mode::existing)));
    const std::optional<FileId> after = idOf(path);
    if (!before || !after || *before != *after)
        throw DatabaseError("cannot open database " + path + ": it was replaced meanwhile");
    id = *after;
}

StorePool::Lease StorePool::acquire() {
    std::unique_lock<std::mutex> lock(mutex);
    returned.wait(lock, [this] { return !idle.empty(); });
    std::unique_ptr<ListingsStore> store = std::move(idle.back());
    idle.pop_back();
    return Lease(*this, std::move(store));
}

void StorePool::giveBack(std::unique_ptr<ListingsStore> store) {
    if (!store) return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        idle.push_back(std::move(store));
    }
    returned.notify_one();
}

std::int64_t StorePool::dataVersion() {
    std::int64_t version = -1;
    try {
        if (dataVersionQuery->step()) version = dataVersionQuery->integer(0);
    } catch (const DatabaseError&) {
        version = -1;  // unknown: the caller takes it as a change
    }
    dataVersionQuery->reset();
    return version;
}
