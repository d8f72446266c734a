#include "LogWriter.h"

#include <limits.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

namespace {

// Once stopping: how long a descriptor that takes nothing is waited for.
constexpr auto stallGrace = std::chrono::seconds(2);
// How long the writer lets lines gather after the first, so that a busy server wakes it
// about a hundred times a second rather than once a line.
constexpr auto gathering = std::chrono::milliseconds(10);

// The most one write may pass: on a pipe or socket that poll calls writable, PIPE_BUF bytes
// go without blocking.
std::size_t writeSize(int fd) {
    struct stat info {};
    if (fstat(fd, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)))
        return PIPE_BUF;
    return 1 << 16;
}

}  // namespace

LogWriter::LogWriter(int fd, std::size_t maxQueuedLines)
    : fd(fd), mostPerWrite(writeSize(fd)), maxQueuedLines(maxQueuedLines) {
    thread = std::thread([this] { run(); });
}

LogWriter::~LogWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    queued.notify_all();
    thread.join();
}

void LogWriter::write(std::string line) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (queue.size() >= maxQueuedLines) {
            ++dropped;
            return;
        }
        queue.push_back(std::move(line));
        wake = std::exchange(writerIdle, false) || queue.size() == maxQueuedLines / 2;
    }
    if (wake) queued.notify_one();
}

void LogWriter::run() {
    std::vector<std::string> batch;
    std::string text;
    for (;;) {
        std::size_t droppedBefore = 0;
        {
            std::unique_lock<std::mutex> lock(mutex);
            writerIdle = true;
            queued.wait(lock, [this] { return stopping || !queue.empty(); });
            writerIdle = false;
            queued.wait_for(lock, gathering,
                            [this] { return stopping || queue.size() >= maxQueuedLines / 2; });
            if (queue.empty()) return;  // stopping, and all is written
            batch.swap(queue);
            droppedBefore = std::exchange(dropped, 0);
        }
        text.clear();
        for (const std::string& line : batch) text += line + "\n";
        batch.clear();
        if (droppedBefore > 0) {
            text += "listings-server: " + std::to_string(droppedBefore) +
                    " log lines dropped while the log's output was blocked\n";
        }
        if (!writeOut(text)) {
            std::lock_guard<std::mutex> lock(mutex);
            if (stopping) return;  // the rest would wait for the same blocked output
        }
    }
}

bool LogWriter::writeOut(const std::string& text) {
    std::size_t done = 0;
    auto progress = std::chrono::steady_clock::now();
    while (done < text.size()) {
        pollfd p{fd, POLLOUT, 0};
        const int ready = poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR) return false;
        if (ready > 0) {
            const ssize_t n =
                ::write(fd, text.data() + done, std::min(text.size() - done, mostPerWrite));
            if (n < 0 && errno != EINTR && errno != EAGAIN) return false;
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                progress = std::chrono::steady_clock::now();
            }
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping && std::chrono::steady_clock::now() - progress > stallGrace) return false;
    }
    return true;
}
