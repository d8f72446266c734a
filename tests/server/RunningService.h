#pragma once
// A ListingsService on a loopback port serving on a thread of its own, its log kept; a raw
// TCP client for dripping, silent and pipelined requests; what the server's tests share.

#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ListingsService.h"
#include "TestFiles.h"

const std::string sample = MATCHRAY_SOURCE_DIR "/data/sample/listings.json";

class RunningService {
public:
    explicit RunningService(ListingsService::Options options);
    ~RunningService() {
        service->stop();
        thread.join();
    }

    int port() const { return boundPort; }
    std::vector<std::string> log() {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }

    class Raw {
    public:
        explicit Raw(int port);
        ~Raw() { ::close(fd); }
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
    std::unique_ptr<ListingsService> service;
    std::thread thread;
    int boundPort = -1;
};

// One receiver-like request on a new connection: the answer, its head without '\r'.
std::string exchange(int port, const std::string& method, const std::string& path,
                     const std::string& body = "");
