#include "DataVersionWatch.h"

#include "DatabaseError.h"

DataVersionWatch::DataVersionWatch(const std::string& dbPath, std::chrono::milliseconds period)
    : period(period),
      db(dbPath, Database::Mode::existing),
      dataVersion(db.prepare("PRAGMA data_version")) {
    look();
    thread = std::thread([this] { run(); });
}

DataVersionWatch::~DataVersionWatch() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    stopped.notify_all();
    thread.join();
}

void DataVersionWatch::look() {
    std::int64_t version = -1;
    try {
        if (dataVersion.step()) version = dataVersion.integer(0);
    } catch (const DatabaseError&) {
        version = -1;  // unknown: taken as a change, so nothing stale outlives it
    }
    dataVersion.reset();
    if (version == lastVersion && version != -1) return;
    lastVersion = version;
    current.fetch_add(1, std::memory_order_acq_rel);
}

void DataVersionWatch::run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopped.wait_for(lock, period, [this] { return stopping; })) {
        lock.unlock();
        look();
        lock.lock();
    }
}
