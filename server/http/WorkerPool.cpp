#include "WorkerPool.h"

#include <algorithm>

WorkerPool::WorkerPool(int count, std::function<void()> wake) : wake(std::move(wake)) {
    for (int i = 0; i < std::max(count, 1); ++i) threads.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(jobsMutex);
        stopping = true;
        jobs.clear();
    }
    jobsReady.notify_all();
    for (std::thread& t : threads) t.join();
}

void WorkerPool::post(Job job) {
    {
        std::lock_guard<std::mutex> lock(jobsMutex);
        jobs.push_back(std::move(job));
    }
    jobsReady.notify_one();
}

std::vector<WorkerPool::Job> WorkerPool::takeDone() {
    std::vector<Job> batch;
    std::lock_guard<std::mutex> lock(doneMutex);
    batch.swap(done);
    return batch;
}

void WorkerPool::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(jobsMutex);
            jobsReady.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (stopping) return;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        try {
            job.response = job.task->run();
        } catch (...) {
            // The task reports its own failures; this one it didn't expect.
        }
        if (!job.response) job.response = HttpResponse::plain(500);
        {
            std::lock_guard<std::mutex> lock(doneMutex);
            done.push_back(std::move(job));
        }
        wake();
    }
}
