#include "RunningService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

RunningService::RunningService(ListingsService::Options options) {
    options.bindAddress = "127.0.0.1";
    options.port = 0;
    options.log = [this](const std::string& line) {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(line);
    };
    service = std::make_unique<ListingsService>(std::move(options));
    boundPort = service->bind().port;  // -1 when it can't: then nothing answers
    thread = std::thread([this] { service->run(); });
}

RunningService::Raw::Raw(int port) {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    eof = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
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
    while (!eof && std::chrono::steady_clock::now() < end) all += readOnce(50);
    return all;
}

std::string exchange(int port, const std::string& method, const std::string& path,
                     const std::string& body) {
    RunningService::Raw connection(port);
    connection.send(
        method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: PS\r\n" +
        (method == "POST" ? "Content-Length: " + std::to_string(body.size()) + "\r\n" : "") +
        "Connection: close\r\n\r\n" + body);
    std::string answer = connection.readUntilClosed(10000);
    const std::size_t headEnd = std::min(answer.find("\r\n\r\n"), answer.size());
    std::string head = answer.substr(0, headEnd);
    head.erase(std::remove(head.begin(), head.end(), '\r'), head.end());
    return head + answer.substr(headEnd);
}
