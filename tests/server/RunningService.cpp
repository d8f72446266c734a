#include "RunningService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

RunningService::Raw::Raw(int port) {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        throw std::runtime_error("cannot connect to 127.0.0.1");
    }
}

RunningService::Raw::~Raw() {
    close(fd);
}

bool RunningService::Raw::send(const std::string& bytes) {
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

std::string RunningService::Raw::readOnce(int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (eof || poll(&p, 1, timeoutMs) != 1) return "";
    char buffer[65536];
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0) {
        eof = true;
        return "";
    }
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string RunningService::Raw::readUntilClosed(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string all;
    while (!eof) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        all += readOnce(static_cast<int>(left.count()));
    }
    return all;
}
