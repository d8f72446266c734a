#pragma once
// Looks, on a thread of its own, at whether the database changed: any commit by
// another connection, also from another process, as SQLite's data_version shows
// it. Each change moves a generation on, which readers load without waiting.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "Database.h"

class DataVersionWatch {
public:
    // Opens a connection of its own (throws DatabaseError when it can't) and looks once
    // before it returns, then every period.
    DataVersionWatch(const std::string& dbPath, std::chrono::milliseconds period);
    ~DataVersionWatch();
    DataVersionWatch(const DataVersionWatch&) = delete;
    DataVersionWatch& operator=(const DataVersionWatch&) = delete;

    // From any thread: changes whenever the database did (or couldn't be asked).
    std::uint64_t generation() const { return current.load(std::memory_order_acquire); }

private:
    void look();
    void run();

    std::chrono::milliseconds period;
    Database db;
    Statement dataVersion;
    std::int64_t lastVersion = -1;
    std::atomic<std::uint64_t> current{0};
    std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::thread thread;
};
