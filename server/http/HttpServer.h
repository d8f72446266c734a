#pragma once
// An HTTP/1.1 server on one event loop: any number of connections, kept open
// between requests, each answer sent with one write. A request must arrive
// whole within a deadline however slowly it drips in, and a connection that
// waits for its next request longer than the idle limit is closed, so slow and
// silent clients cost a socket each but never a thread. Answers that the
// handler has in memory are sent from the loop; the others are worked out on a
// small pool of threads.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "HttpMessage.h"

class HttpServer {
public:
    struct Limits {
        int requestDeadlineMs = 10000;  // for the header and body of a request together
        int idleLimitMs = 5000;         // for a connection waiting for its next request
        std::size_t maxHeaderBytes = 8192;
        std::size_t maxBodyBytes = 4096;
        int workers = 8;
    };

    class Handler {
    public:
        virtual ~Handler() = default;
        // On the loop thread: the answer when it is at hand, else nullptr.
        virtual std::shared_ptr<const HttpAnswer> fromMemory(const HttpRequest& request) = 0;
        // On a worker thread: the answer to a request that fromMemory didn't answer.
        virtual std::shared_ptr<const HttpAnswer> answer(const HttpRequest& request) = 0;
        // On the loop thread, once an answer is on its way (also the server's own ones).
        virtual void answered(const HttpRequest& request, const HttpAnswer& answer) = 0;
    };

    HttpServer(Handler& handler, Limits limits);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens; returns the bound port, or -1.
    int bind(const std::string& address, int port);
    // Serves until stop(); false when nothing was bound.
    bool run();
    // From any thread, also before run().
    void stop();

private:
    using Clock = std::chrono::steady_clock;
    struct Connection;
    struct Job {
        std::uint64_t connection;
        HttpRequest request;
    };
    struct Done {
        std::uint64_t connection;
        HttpRequest request;
        std::shared_ptr<const HttpAnswer> answer;
    };

    void acceptAll();
    void onEvent(Connection& c, std::uint32_t events);
    void readFrom(Connection& c);
    void serve(Connection& c);
    void send(Connection& c, const HttpRequest& request, std::shared_ptr<const HttpAnswer> answer,
              bool close);
    void writeTo(Connection& c);
    void finishAnswer(Connection& c);
    void watch(Connection& c, std::uint32_t events);
    void close(Connection& c);
    void sweep();
    void takeDone();
    void work();

    Handler& handler;
    Limits limits;
    int listenFd = -1;
    int epollFd = -1;
    int wakeFd = -1;
    bool acceptPaused = false;
    std::atomic<bool> stopRequested{false};
    std::uint64_t nextId = 1;
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> connections;
    std::vector<std::uint64_t> dead;  // closed during this turn of the loop

    std::mutex jobsMutex;
    std::condition_variable jobsReady;
    std::deque<Job> jobs;
    bool workersStop = false;
    std::mutex doneMutex;
    std::vector<Done> done;
    std::vector<std::thread> workers;
};
