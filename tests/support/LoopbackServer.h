#pragma once
// A real HTTP server on 127.0.0.1 with a port chosen by the system, running on
// a thread of its own for one test. It records every request it receives.
// Register handlers on server() before start().

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackServer {
public:
    struct Request {
        std::string method;
        std::string path;
        std::string body;
        std::string userAgent;
        std::string contentType;
        int remotePort = 0;  // tells connections apart
    };

    LoopbackServer();
    ~LoopbackServer();

    httplib::Server& server() { return http; }
    // Binds and starts serving; returns once the server accepts connections.
    void start();
    void stop();

    int port() const { return boundPort; }
    // "127.0.0.1:PORT", as the plug-in's host settings want it.
    std::string hostPort() const;

    std::vector<Request> requests();

private:
    httplib::Server http;
    std::thread thread;
    int boundPort = 0;
    std::mutex mutex;
    std::vector<Request> received;
};
