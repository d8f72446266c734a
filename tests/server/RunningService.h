#pragma once
// An HttpService on 127.0.0.1 with a port chosen by the system, serving on a
// thread of its own for one test, with its log lines kept.

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "HttpService.h"

class RunningService {
public:
    explicit RunningService(HttpService::Options options);
    ~RunningService();

    int port() const { return boundPort; }
    std::vector<std::string> log();

    // A POST as the receiver sends it: User-Agent "PS", the body as it is.
    httplib::Result post(const std::string& path, const std::string& body);
    httplib::Result get(const std::string& path);

    // A plain TCP connection to the service, for what an HTTP client won't do:
    // dripping bytes, holding a connection silent, sending requests in one go.
    class Raw {
    public:
        explicit Raw(int port);
        ~Raw();
        Raw(const Raw&) = delete;
        Raw& operator=(const Raw&) = delete;

        // False when the service has closed the connection.
        bool send(const std::string& bytes);
        // Waits up to timeoutMs for bytes, then returns what one read gives.
        std::string readOnce(int timeoutMs);
        // Everything until the service closes the connection, or timeoutMs has passed.
        std::string readUntilClosed(int timeoutMs);
        bool closed() const { return eof; }

    private:
        int fd = -1;
        bool eof = false;
    };

private:
    std::mutex mutex;
    std::vector<std::string> lines;
    std::unique_ptr<HttpService> service;
    std::thread thread;
    int boundPort = -1;
};
