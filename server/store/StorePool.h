#pragma once
// The connections to one database file: as many as read it at once, all opened
// at the start and checked to reach the same file, so that a file renamed onto
// the path later is never mixed in; and one more for the watch on its changes.
// Request threads take a connection each; none is shared by two at a time.

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Database.h"
#include "ListingsStore.h"

class StorePool {
public:
    // What tells files apart: it stays while a file is written to, and changes when another
    // file takes its path.
    struct FileId {
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const FileId& o) const { return device == o.device && inode == o.inode; }
        bool operator!=(const FileId& o) const { return !(*this == o); }
    };
    static std::optional<FileId> idOf(const std::string& path);

    // Throws DatabaseError when the file can't be used, or was replaced while being opened.
    StorePool(const std::string& path, int connections);

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

    // Waits while every connection is leased.
    Lease acquire();
    FileId file() const { return id; }
    // SQLite's data_version on the watch's connection: it changes with every commit by
    // another connection. For one thread at a time.
    std::int64_t dataVersion();

private:
    void giveBack(std::unique_ptr<ListingsStore> store);

    FileId id;
    std::mutex mutex;
    std::condition_variable returned;
    std::vector<std::unique_ptr<ListingsStore>> idle;
    std::unique_ptr<Database> watchDb;
    std::optional<Statement> dataVersionQuery;
};
