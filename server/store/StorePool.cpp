#include "StorePool.h"

StorePool::StorePool(std::string path) : path(std::move(path)) {
    idle.push_back(open());
}

std::unique_ptr<ListingsStore> StorePool::open() const {
    return std::make_unique<ListingsStore>(Database(path, Database::Mode::existing));
}

StorePool::Lease StorePool::acquire() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!idle.empty()) {
            std::unique_ptr<ListingsStore> store = std::move(idle.back());
            idle.pop_back();
            return Lease(*this, std::move(store));
        }
    }
    return Lease(*this, open());
}

void StorePool::giveBack(std::unique_ptr<ListingsStore> store) {
    if (!store) return;
    std::lock_guard<std::mutex> lock(mutex);
    idle.push_back(std::move(store));
}
