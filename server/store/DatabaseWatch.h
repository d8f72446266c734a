#pragma once
// The database as the server reads it, watched on a thread of its own: a commit
// by any connection, also from another process, as SQLite's data_version shows
// it, and another file renamed onto the path, or written there after the old
// one was deleted. Each change moves a generation on, which readers load
// without waiting. A new file is read through connections of its own, while
// reads begun on the old one finish there; the old file is closed once the
// last of them is done.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "StorePool.h"

class DatabaseWatch {
public:
    // Opens connections to the file (throws DatabaseError when it can't) and looks every
    // period. report gets a line for the log when the path changes to a file that can't be
    // read, or goes, and when a new file is taken up.
    DatabaseWatch(std::string path, int connections, std::chrono::milliseconds period,
                  std::function<void(const std::string&)> report);
    ~DatabaseWatch();
    DatabaseWatch(const DatabaseWatch&) = delete;
    DatabaseWatch& operator=(const DatabaseWatch&) = delete;

    // From any thread: changes whenever the data did (or couldn't be asked). Load it before
    // taking the stores, so that what is read is never newer than the generation.
    std::uint64_t generation() const { return current.load(std::memory_order_acquire); }
    // From any thread: the connections to the file the path names now.
    std::shared_ptr<StorePool> stores() const;

private:
    void look();
    void run();

    std::string path;
    int connections;
    std::chrono::milliseconds period;
    std::function<void(const std::string&)> report;
    std::shared_ptr<StorePool> pool;  // written by the watch's thread alone, under mutex
    std::int64_t lastVersion = -1;
    std::string complaint;  // the last problem reported, so that it is reported once
    std::atomic<std::uint64_t> current{0};
    mutable std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::thread thread;
};
