#pragma once
// An HTTP/1.1 server on 127.0.0.1, on a port chosen by the system, for one
// test. It records every request, and each path gets an answer chosen by the
// test: a plain one, or one that misbehaves on purpose (it may never come,
// stall, trickle, stop in the middle of the body, come in chunks, carry an
// error status or any body at all, of any size). Connections are kept alive, since libcurl reuses
// them. Every connection runs on a thread of its own; stop() wakes and joins them all, so a stalled
// answer never outlives the test.

#include <atomic>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackServer {
public:
    struct Answer {
        enum class Delivery {
            whole,    // status line, headers and the whole body
            silent,   // read the request, then send nothing until the server stops
            stall,    // headers and the first half of the body, then nothing until the server stops
            cut,      // headers announcing the whole body, its first half, then close
            chunked,  // the whole body in chunks, one per repeat, without a Content-Length
            trickle,  // headers, then 4 bytes of the body every trickleMs
        };
        Delivery delivery = Delivery::whole;
        int status = 200;
        std::string body;
        // whole and chunked send the body this many times over, as one body.
        size_t repeat = 1;
        int trickleMs = 1000;
    };

    struct Request {
        std::string method;
        std::string path;
        std::string userAgent;
        std::string bytes;   // the whole request as it came
        int connection = 0;  // tells connections apart: 1 for the first, and so on
    };

    // Binds and starts serving; throws std::runtime_error when it can't bind.
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // The answer for a path; any other path gets the answer of answerOthers,
    // by default 404 with an empty body.
    void answer(const std::string& path, Answer answer);
    void answerOthers(Answer answer);
    void stop();

    int port() const { return boundPort; }
    // "127.0.0.1:PORT", as the plug-in's host settings want it.
    std::string hostPort() const;
    std::vector<Request> requests();

private:
    void acceptLoop();
    void serve(int fd, int connection);
    bool readRequest(int fd, std::string& pending, Request& request);
    bool sendAll(int fd, const char* data, size_t size);
    bool sendBody(int fd, const Answer& reply);
    // Waits until the server stops or ms pass; true when it stops.
    bool stopsWithin(int ms);
    void waitForStop(int fd);

    int listenFd = -1;
    int wakePipe[2] = {-1, -1};
    int boundPort = 0;
    std::atomic<bool> stopping{false};
    std::thread acceptor;
    std::mutex mutex;  // guards everything below
    struct Connection {
        std::thread thread;
        bool done = false;  // its thread is at its end
    };
    std::list<Connection> connections;
    std::map<std::string, Answer> answers;
    Answer others;
    int accepted = 0;
    std::vector<Request> received;
};

// The bytes of the POST of body to path on the server that libcurl sends for the plug-in.
std::string postBytes(const LoopbackServer& server, const std::string& path,
                      const std::string& userAgent, const std::string& body);

// An answer: the body as it is, or delivered the given way.
LoopbackServer::Answer answer(std::string body, int status = 200);
LoopbackServer::Answer answer(LoopbackServer::Answer::Delivery delivery, std::string body = "x\n",
                              int status = 200);
