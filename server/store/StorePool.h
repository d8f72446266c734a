#pragma once
// Hands out database connections, one per request at a time, so that request
// threads never share one. Connections are opened on demand and kept.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ListingsStore.h"

class StorePool {
public:
    // Opens the first connection at once, so that a missing database shows now.
    explicit StorePool(std::string path);

    class Lease {
    public:
        Lease(StorePool& pool, std::unique_ptr<ListingsStore> store)
            : pool(pool), store(std::move(store)) {}
        ~Lease() { pool.giveBack(std::move(store)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        ListingsStore* operator->() { return store.get(); }

    private:
        StorePool& pool;
        std::unique_ptr<ListingsStore> store;
    };

    Lease acquire();

private:
    std::unique_ptr<ListingsStore> open() const;
    void giveBack(std::unique_ptr<ListingsStore> store);

    std::string path;
    std::mutex mutex;
    std::vector<std::unique_ptr<ListingsStore>> idle;
};
