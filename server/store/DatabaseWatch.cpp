#include "DatabaseWatch.h"

#include "DatabaseError.h"

DatabaseWatch::DatabaseWatch(std::string path, int connections, std::chrono::milliseconds period,
                             std::function<void(const std::string&)> report)
    : path(std::move(path)),
      connections(connections),
      period(period),
      report(std::move(report)),
      pool(std::make_shared<StorePool>(this->path, connections)) {
    look();
    thread = std::thread([this] { run(); });
}

DatabaseWatch::~DatabaseWatch() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    stopped.notify_all();
    thread.join();
}

std::shared_ptr<StorePool> DatabaseWatch::stores() const {
    std::lock_guard<std::mutex> lock(mutex);
    return pool;
}

void DatabaseWatch::look() {
    std::string problem;
    const std::optional<StorePool::FileId> id = StorePool::idOf(path);
    if (!id) {
        problem = "error on " + path + ": it is gone; answers still come from the file it named";
    } else if (*id != pool->file()) {
        try {
            auto fresh = std::make_shared<StorePool>(path, connections);
            {
                std::lock_guard<std::mutex> lock(mutex);
                pool = std::move(fresh);
            }
            lastVersion = -1;
            problem.clear();
            report(path + ": another file took this path; answers come from it now");
        } catch (const DatabaseError& e) {
            // Perhaps not yet whole; tried again next time.
            problem =
                "error on " + path + ": " + e.what() + "; answers still come from the file before";
        }
    }
    if (problem != complaint && !problem.empty()) report(problem);
    complaint = problem;
    const std::int64_t version = pool->dataVersion();
    if (version == lastVersion && version != -1) return;
    lastVersion = version;
    current.fetch_add(1, std::memory_order_acq_rel);
}

void DatabaseWatch::run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopped.wait_for(lock, period, [this] { return stopping; })) {
        lock.unlock();
        look();
        lock.lock();
    }
}
