#pragma once
// Threads that run the tasks the event loop hands over, and hand the finished
// ones back: the loop posts a job and goes on; a worker runs it, queues it as
// done and calls wake, and the loop takes what is done when woken.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "HttpRequest.h"
#include "ResponseTask.h"

class WorkerPool {
public:
    struct Job {
        std::uint64_t connection = 0;
        HttpRequest request;
        std::unique_ptr<ResponseTask> task;
        std::shared_ptr<const HttpResponse> response;  // once done: never empty
    };

    // wake: called on a worker's thread each time a job is done.
    WorkerPool(int threads, std::function<void()> wake);
    // Jobs not yet begun are dropped; those running are waited for.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void post(Job job);
    std::vector<Job> takeDone();

private:
    void work();

    std::function<void()> wake;
    std::mutex jobsMutex;
    std::condition_variable jobsReady;
    std::deque<Job> jobs;
    bool stopping = false;
    std::mutex doneMutex;
    std::vector<Job> done;
    std::vector<std::thread> threads;
};
