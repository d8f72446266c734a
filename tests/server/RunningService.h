#pragma once
// An HttpService on 127.0.0.1 (a port the system chooses) serving on a thread of
// its own, its log lines kept; and a plain TCP connection for what an HTTP client
// won't do: dripping bytes, holding a connection silent, pipelining.

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

    class Raw {
    public:
        explicit Raw(int port);
        ~Raw();
        Raw(const Raw&) = delete;
        Raw& operator=(const Raw&) = delete;

        bool send(const std::string& bytes);  // false once the service has closed
        std::string readOnce(int timeoutMs);  // what one read gives within timeoutMs
        std::string readUntilClosed(int timeoutMs);
        bool closed() const { return eof; }  // also when it could not connect

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

// One request on a connection of its own (a POST as the receiver sends it, with User-Agent
// "PS"), and the whole answer up to the close, its head's line breaks without '\r'.
std::string exchange(int port, const std::string& method, const std::string& path,
                     const std::string& body = "");
