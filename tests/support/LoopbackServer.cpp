#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The value of a header in a header block, without surrounding blanks; empty
// when there is none.
std::string header(const std::string& headers, const std::string& name) {
    const std::string key = "\r\n" + lowerCase(name) + ":";
    const size_t at = lowerCase(headers).find(key);
    if (at == std::string::npos) return "";
    const size_t start = headers.find_first_not_of(' ', at + key.size());
    const size_t end = headers.find("\r\n", at + key.size());
    return start < end ? headers.substr(start, end - start) : "";
}

}  // namespace

LoopbackServer::LoopbackServer() {
    others.status = 404;
    others.body.clear();
    if (pipe2(wakePipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd < 0 || bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
        listen(listenFd, 16) ||
        getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length)) {
        throw std::runtime_error("cannot bind a loopback port");
    }
    boundPort = ntohs(address.sin_port);
    acceptor = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    stop();
    close(listenFd);
    close(wakePipe[0]);
    close(wakePipe[1]);
}

void LoopbackServer::answer(const std::string& path, Answer answer) {
    std::lock_guard<std::mutex> lock(mutex);
    answers[path] = std::move(answer);
}

void LoopbackServer::answerOthers(Answer answer) {
    std::lock_guard<std::mutex> lock(mutex);
    others = std::move(answer);
}

std::string LoopbackServer::hostPort() const {
    return "127.0.0.1:" + std::to_string(boundPort);
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() {
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

void LoopbackServer::stop() {
    if (stopping.exchange(true)) return;
    // The pipe stays readable from now on: every poll below wakes at once.
    const char wake = 1;
    (void)!write(wakePipe[1], &wake, 1);
    acceptor.join();
    std::list<Connection> running;
    {
        std::lock_guard<std::mutex> lock(mutex);
        running.swap(connections);
    }
    for (auto& c : running) c.thread.join();
}

void LoopbackServer::acceptLoop() {
    while (!stopping) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) break;
        int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0 && (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN)) continue;
        if (fd < 0) break;  // the listener was shut down
        // Heads and bodies go out in separate sends: don't hold one back for an ACK.
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::lock_guard<std::mutex> lock(mutex);
        // Threads of closed connections are joined as new ones come: a client
        // that opens thousands one after the other doesn't pile them up.
        for (auto c = connections.begin(); c != connections.end();) {
            if (!c->done) {
                ++c;
                continue;
            }
            c->thread.join();
            c = connections.erase(c);
        }
        const auto c = connections.emplace(connections.end());
        c->thread = std::thread([this, fd, number = ++accepted, c] {
            serve(fd, number);
            close(fd);
            std::lock_guard<std::mutex> lock(mutex);
            c->done = true;
        });
    }
}

void LoopbackServer::serve(int fd, int connection) {
    std::string pending;
    Request request;
    request.connection = connection;
    while (readRequest(fd, pending, request)) {
        Answer reply;
        {
            std::lock_guard<std::mutex> lock(mutex);
            received.push_back(request);
            auto found = answers.find(request.path);
            reply = found != answers.end() ? found->second : others;
        }
        if (reply.delivery == Answer::Delivery::silent) return waitForStop(fd);

        std::string head = "HTTP/1.1 " + std::to_string(reply.status) +
                           (reply.status == 200 ? " OK" : " Status") +
                           "\r\nContent-Type: application/octet-stream\r\n";
        const size_t repeat = reply.delivery == Answer::Delivery::whole ? reply.repeat : 1;
        head += reply.delivery == Answer::Delivery::chunked
                    ? "Transfer-Encoding: chunked\r\n\r\n"
                    : "Content-Length: " + std::to_string(reply.body.size() * repeat) + "\r\n\r\n";
        if (!sendAll(fd, head.data(), head.size())) return;
        if (reply.delivery != Answer::Delivery::stall && reply.delivery != Answer::Delivery::cut) {
            if (!sendBody(fd, reply)) return;
            continue;
        }
        if (!sendAll(fd, reply.body.data(), reply.body.size() / 2)) return;
        if (reply.delivery == Answer::Delivery::stall) waitForStop(fd);
        return;  // cut: closing now leaves the announced body short
    }
}

bool LoopbackServer::readRequest(int fd, std::string& pending, Request& request) {
    // Reads on until pending holds size bytes; false when the peer or the server stops.
    auto readUpTo = [&](size_t size) {
        char buffer[16384];
        while (pending.size() < size) {
            pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
            if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) return false;
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) return false;
            pending.append(buffer, static_cast<size_t>(n));
        }
        return true;
    };
    size_t headerEnd;
    while ((headerEnd = pending.find("\r\n\r\n")) == std::string::npos) {
        if (!readUpTo(pending.size() + 1)) return false;
    }
    const std::string headers = pending.substr(0, headerEnd + 2);
    const size_t bodyStart = headerEnd + 4;
    const size_t bodySize = std::strtoul(header(headers, "Content-Length").c_str(), nullptr, 10);
    if (!readUpTo(bodyStart + bodySize)) return false;
    const size_t methodEnd = headers.find(' ');
    const size_t pathEnd = headers.find(' ', methodEnd + 1);
    request.method = headers.substr(0, methodEnd);
    request.path = headers.substr(methodEnd + 1, pathEnd - methodEnd - 1);
    request.userAgent = header(headers, "User-Agent");
    request.bytes = pending.substr(0, bodyStart + bodySize);
    pending.erase(0, bodyStart + bodySize);
    return true;
}

bool LoopbackServer::sendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) return false;
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool LoopbackServer::sendBody(int fd, const Answer& reply) {
    const std::string& body = reply.body;
    switch (reply.delivery) {
        case Answer::Delivery::trickle:
            for (size_t at = 0; at < body.size(); at += 4) {
                if (at > 0 && stopsWithin(reply.trickleMs)) return false;
                if (!sendAll(fd, body.data() + at, std::min<size_t>(4, body.size() - at))) {
                    return false;
                }
            }
            return true;
        case Answer::Delivery::chunked:
            for (size_t i = 0; i < reply.repeat; ++i) {
                char size[20];
                const int length = std::snprintf(size, sizeof size, "%zx\r\n", body.size());
                if (!body.empty() &&
                    (!sendAll(fd, size, size_t(length)) || !sendAll(fd, body.data(), body.size()) ||
                     !sendAll(fd, "\r\n", 2))) {
                    return false;
                }
            }
            return sendAll(fd, "0\r\n\r\n", 5);
        default:
            for (size_t i = 0; i < reply.repeat; ++i) {
                if (!sendAll(fd, body.data(), body.size())) return false;
            }
            return true;
    }
}

bool LoopbackServer::stopsWithin(int ms) {
    pollfd wake = {wakePipe[0], POLLIN, 0};
    return poll(&wake, 1, ms) != 0;
}

void LoopbackServer::waitForStop(int fd) {
    // Holds the connection open and quiet until the server stops or the client gives up.
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) return;
        if (recv(fd, buffer, sizeof buffer, 0) <= 0) return;
    }
}

LoopbackServer::Answer answer(std::string body, int status) {
    return answer(LoopbackServer::Answer::Delivery::whole, std::move(body), status);
}

LoopbackServer::Answer answer(LoopbackServer::Answer::Delivery delivery, std::string body,
                              int status) {
    LoopbackServer::Answer a;
    a.delivery = delivery;
    a.body = std::move(body);
    a.status = status;
    return a;
}

std::string postBytes(const LoopbackServer& server, const std::string& path,
                      const std::string& userAgent, const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nHost: " + server.hostPort() +
           "\r\nUser-Agent: " + userAgent +
           "\r\nAccept: */*\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n" + body;
}
