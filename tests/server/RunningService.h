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

private:
    std::mutex mutex;
    std::vector<std::string> lines;
    std::unique_ptr<HttpService> service;
    std::thread thread;
    int boundPort = -1;
};
