#pragma once
// An HTTP/1.1 server on one event loop: any number of connections, kept open
// between requests, each response sent with one write. A request must arrive
// whole within a deadline however slowly it drips in, and a connection that
// waits for its next request longer than the idle limit is closed, so slow and
// silent clients cost a socket each but never a thread. The loop never waits:
// a response that the handler has at hand is sent from the loop, any other is
// worked out on a small pool of threads (WorkerPool). The write path adds what
// every answer carries: "Date", "Connection", and for a response with
// validators the outcome of the request's preconditions (a 304 or a 412). A
// client that expects "100 Continue" gets it as soon as its header is read.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "HttpRequest.h"
#include "HttpResponse.h"
#include "ResponseTask.h"
#include "WorkerPool.h"

class HttpServer {
public:
    struct Limits {
        int requestDeadlineMs = 10000;       // for the header and body of a request together
        int idleLimitMs = 5000;              // for a connection waiting for its next request
        std::size_t maxHeaderBytes = 65536;  // twice the 32 KiB that nginx forwards
        std::size_t maxBodyBytes = 4096;
        int workers = 8;
    };

    using Task = ResponseTask;
    // The handler's reply to a request: the response at hand, or else the task that makes it.
    struct Reply {
        std::shared_ptr<const HttpResponse> response;
        std::unique_ptr<Task> task;
    };

    class Handler {
    public:
        virtual ~Handler() = default;
        // On the loop thread, once for each request read whole; must not wait. It may add a
        // note for the log to the request.
        virtual Reply reply(HttpRequest& request) = 0;
        // On the loop thread, once a response is on its way (the server's own refusals too).
        virtual void responded(const HttpRequest& request, const HttpResponse& response) = 0;
        // On the loop thread: a system call failed; the text names it and the reason.
        virtual void failed(const std::string& what) = 0;
    };

    struct Listening {
        int port = -1;
        std::string error;  // when port is -1: what failed, and why
    };

    // Throws std::system_error when the loop's own descriptors can't be made.
    HttpServer(Handler& handler, Limits limits);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    Listening bind(const std::string& address, int port);
    // Serves until stop(); false when nothing was bound or the loop failed.
    bool run();
    // From any thread, also before run().
    void stop();

private:
    using Clock = std::chrono::steady_clock;
    struct Connection;

    void acceptAll();
    void onEvent(Connection& c, std::uint32_t events);
    void readFrom(Connection& c);
    void serve(Connection& c);
    void send(Connection& c, const HttpRequest& request,
              std::shared_ptr<const HttpResponse> response, bool close);
    void sendContinue(Connection& c);
    void writeTo(Connection& c);
    void finishResponse(Connection& c);
    bool closesAtOnce(const Connection& c) const;
    const std::string& dateLine();
    bool control(int operation, int fd, std::uint32_t events, std::uint64_t tag);
    void watch(Connection& c, std::uint32_t events);
    void close(Connection& c);
    void sweep();
    void takeDone();
    void wake();
    void failed(const char* call);

    Handler& handler;
    Limits limits;
    int listenFd = -1;
    int epollFd = -1;
    int wakeFd = -1;
    bool acceptPaused = false;
    std::atomic<bool> stopRequested{false};
    std::uint64_t nextId = 1;
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> connections;
    std::vector<std::uint64_t> dead;    // closed during this turn of the loop
    std::optional<WorkerPool> workers;  // while run() serves
    std::time_t dateSecond = -1;
    std::string date;  // "Date: ...\r\n", formatted at most once a second
};
