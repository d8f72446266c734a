#include "RunningService.h"

#include <stdexcept>

RunningService::RunningService(HttpService::Options options) {
    options.bindAddress = "127.0.0.1";
    options.port = 0;
    options.log = [this](const std::string& line) {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(line);
    };
    service = std::make_unique<HttpService>(std::move(options));
    boundPort = service->bind();
    if (boundPort <= 0) throw std::runtime_error("cannot bind 127.0.0.1");
    // Connections wait in the listen queue until the loop accepts them.
    thread = std::thread([this] { service->run(); });
}

RunningService::~RunningService() {
    service->stop();
    thread.join();
}

std::vector<std::string> RunningService::log() {
    std::lock_guard<std::mutex> lock(mutex);
    return lines;
}

httplib::Result RunningService::post(const std::string& path, const std::string& body) {
    httplib::Client client("127.0.0.1", boundPort);
    client.set_connection_timeout(5);
    client.set_read_timeout(10);
    return client.Post(path.c_str(), {{"User-Agent", "PS"}}, body,
                       "application/x-www-form-urlencoded");
}

httplib::Result RunningService::get(const std::string& path) {
    httplib::Client client("127.0.0.1", boundPort);
    client.set_connection_timeout(5);
    client.set_read_timeout(10);
    return client.Get(path.c_str(),
                      {{"User-Agent", "Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en)"}});
}
