#pragma once
// Log lines written to a descriptor by a thread of its own, from a queue of
// bounded length, so that whoever logs never waits for the log's reader. When
// the queue is full, lines are dropped and counted, and a line that gives the
// count follows once the writer has caught up. At destruction what is queued
// is written, unless the descriptor stays blocked for a while.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LogWriter {
public:
    explicit LogWriter(int fd, std::size_t maxQueuedLines = 4096);
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // From any thread; line without its line break. Never waits for the descriptor.
    void write(std::string line);

private:
    void run();
    // Writes all of text, waiting for the descriptor; false when it stayed blocked past the
    // grace after stopping began, or failed.
    bool writeOut(const std::string& text);

    int fd;
    std::size_t mostPerWrite;
    std::size_t maxQueuedLines;
    std::mutex mutex;
    std::condition_variable queued;
    std::vector<std::string> queue;
    std::size_t dropped = 0;
    bool writerIdle = false;
    bool stopping = false;
    std::thread thread;
};
