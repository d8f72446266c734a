#include "HttpServer.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// epoll tags; connection ids start at 1.
constexpr std::uint64_t listenTag = 0;
constexpr std::uint64_t wakeTag = ~std::uint64_t{0};

constexpr auto sweepEvery = std::chrono::milliseconds(100);
// How long a closing connection may take to acknowledge the end of its last answer.
constexpr auto lingerLimit = std::chrono::milliseconds(2000);

constexpr const char* keepOpen = "\r\n";
constexpr const char* closing = "Connection: close\r\n\r\n";
constexpr const char* keptOpenForHttp10 = "Connection: keep-alive\r\n\r\n";

std::string addressText(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text,
                  sizeof text);
    } else if (address.ss_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text,
                  sizeof text);
    }
    return text;
}

}  // namespace

struct HttpServer::Connection {
    enum class Phase { reading, working, writing, lingering, closed };

    int fd = -1;
    std::uint64_t id = 0;
    std::string remote;
    std::string in;
    Phase phase = Phase::reading;
    Clock::time_point since;      // the phase began; reading: the wait for a request began
    Clock::time_point firstByte;  // reading: the request's first byte came
    std::uint32_t events = 0;     // what epoll watches for
    // The answer being written.
    std::shared_ptr<const HttpAnswer> answer;
    const char* tail = keepOpen;
    bool withBody = true;
    bool closeAfter = false;
    std::size_t written = 0;
};

HttpServer::HttpServer(Handler& handler, Limits limits) : handler(handler), limits(limits) {
    if (this->limits.workers < 1) this->limits.workers = 1;
    epollFd = epoll_create1(EPOLL_CLOEXEC);
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = wakeTag;
    epoll_ctl(epollFd, EPOLL_CTL_ADD, wakeFd, &ev);
}

HttpServer::~HttpServer() {
    for (auto& entry : connections) {
        if (entry.second->fd >= 0) ::close(entry.second->fd);
    }
    if (listenFd >= 0) ::close(listenFd);
    ::close(wakeFd);
    ::close(epollFd);
}

int HttpServer::bind(const std::string& address, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return -1;
    }
    for (addrinfo* a = found; a && listenFd < 0; a = a->ai_next) {
        const int fd = socket(a->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, SOMAXCONN) == 0) {
            listenFd = fd;
        } else {
            ::close(fd);
        }
    }
    freeaddrinfo(found);
    if (listenFd < 0) return -1;

    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&bound), &length);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = listenTag;
    epoll_ctl(epollFd, EPOLL_CTL_ADD, listenFd, &ev);
    return ntohs(bound.ss_family == AF_INET6
                     ? reinterpret_cast<const sockaddr_in6&>(bound).sin6_port
                     : reinterpret_cast<const sockaddr_in&>(bound).sin_port);
}

bool HttpServer::run() {
    if (listenFd < 0) return false;
    workersStop = false;
    for (int i = 0; i < limits.workers; ++i) workers.emplace_back([this] { work(); });

    epoll_event events[256];
    Clock::time_point lastSweep = Clock::now();
    while (!stopRequested) {
        const int n = epoll_wait(epollFd, events, 256, static_cast<int>(sweepEvery.count()));
        if (n < 0 && errno != EINTR) break;
        for (int i = 0; i < n; ++i) {
            const std::uint64_t tag = events[i].data.u64;
            if (tag == listenTag) {
                acceptAll();
            } else if (tag == wakeTag) {
                std::uint64_t count = 0;
                if (::read(wakeFd, &count, sizeof count) < 0) count = 0;
                takeDone();
            } else {
                const auto found = connections.find(tag);
                if (found != connections.end()) onEvent(*found->second, events[i].events);
            }
        }
        if (Clock::now() - lastSweep >= sweepEvery) {
            sweep();
            lastSweep = Clock::now();
        }
        for (std::uint64_t id : dead) connections.erase(id);
        dead.clear();
    }

    {
        std::lock_guard<std::mutex> lock(jobsMutex);
        workersStop = true;
        jobs.clear();
    }
    jobsReady.notify_all();
    for (std::thread& t : workers) t.join();
    workers.clear();
    for (auto& entry : connections) {
        if (entry.second->fd >= 0) ::close(entry.second->fd);
    }
    connections.clear();
    return true;
}

void HttpServer::stop() {
    stopRequested = true;
    const std::uint64_t one = 1;
    if (::write(wakeFd, &one, sizeof one) < 0) {
        // The counter is already set; the loop wakes either way.
    }
}

void HttpServer::acceptAll() {
    for (int i = 0; i < 64; ++i) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = accept4(listenFd, reinterpret_cast<sockaddr*>(&address), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == ECONNABORTED || errno == EINTR) continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: leave the rest queued until a sweep has closed some.
                epoll_ctl(epollFd, EPOLL_CTL_DEL, listenFd, nullptr);
                acceptPaused = true;
            }
            return;
        }
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->id = nextId++;
        c->remote = addressText(address);
        c->since = Clock::now();
        c->events = EPOLLIN;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = c->id;
        if (epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev) != 0) {
            ::close(fd);
            continue;
        }
        connections.emplace(c->id, std::move(c));
    }
}

void HttpServer::onEvent(Connection& c, std::uint32_t events) {
    if (events & EPOLLERR) return close(c);
    switch (c.phase) {
        case Connection::Phase::reading:
        case Connection::Phase::lingering:
            if (events & (EPOLLIN | EPOLLHUP)) readFrom(c);
            break;
        case Connection::Phase::writing:
            if (events & (EPOLLOUT | EPOLLHUP)) writeTo(c);
            break;
        case Connection::Phase::working:
            if (events & EPOLLHUP) close(c);
            break;
        case Connection::Phase::closed:
            return;
    }
    if (c.phase == Connection::Phase::reading) serve(c);
}

void HttpServer::readFrom(Connection& c) {
    char buffer[16384];
    const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
    if (n == 0) return close(c);
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) close(c);
        return;
    }
    if (c.phase != Connection::Phase::reading) return;  // lingering: dropped
    if (c.in.empty()) c.firstByte = Clock::now();
    c.in.append(buffer, static_cast<std::size_t>(n));
}

void HttpServer::serve(Connection& c) {
    while (c.phase == Connection::Phase::reading && !c.in.empty()) {
        HttpRequest request;
        const RequestReader::Result r =
            RequestReader::read(c.in, limits.maxHeaderBytes, limits.maxBodyBytes, request);
        request.remoteAddress = c.remote;
        if (r.state == RequestReader::State::incomplete) return;
        if (r.state == RequestReader::State::failed) {
            c.in.clear();
            return send(c, request, HttpAnswer::plain(r.status), true);
        }
        c.in.erase(0, r.consumed);
        std::shared_ptr<const HttpAnswer> answer;
        try {
            answer = handler.fromMemory(request);
        } catch (...) {
            // Left to a worker, which reports the failure.
        }
        if (answer) {
            const bool closeAfter = !request.keepAlive;
            send(c, request, std::move(answer), closeAfter);
            continue;
        }
        c.phase = Connection::Phase::working;
        watch(c, 0);
        {
            std::lock_guard<std::mutex> lock(jobsMutex);
            jobs.push_back({c.id, std::move(request)});
        }
        jobsReady.notify_one();
    }
}

void HttpServer::send(Connection& c, const HttpRequest& request,
                      std::shared_ptr<const HttpAnswer> answer, bool close) {
    c.answer = std::move(answer);
    c.closeAfter = close || stopRequested;
    c.tail = c.closeAfter ? closing : request.http10 ? keptOpenForHttp10 : keepOpen;
    c.withBody = request.method != "HEAD";
    c.written = 0;
    c.phase = Connection::Phase::writing;
    c.since = Clock::now();
    handler.answered(request, *c.answer);
    writeTo(c);
}

void HttpServer::writeTo(Connection& c) {
    const std::string& head = c.answer->head;
    const std::size_t tailSize = std::strlen(c.tail);
    const std::size_t bodySize = c.withBody ? c.answer->body.size() : 0;
    const std::size_t total = head.size() + tailSize + bodySize;
    while (c.written < total) {
        iovec parts[3];
        std::size_t count = 0;
        std::size_t skip = c.written;
        auto add = [&](const char* data, std::size_t size) {
            if (skip >= size) {
                skip -= size;
                return;
            }
            parts[count].iov_base = const_cast<char*>(data + skip);
            parts[count].iov_len = size - skip;
            ++count;
            skip = 0;
        };
        add(head.data(), head.size());
        add(c.tail, tailSize);
        add(c.answer->body.data(), bodySize);
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = count;
        const ssize_t n = ::sendmsg(c.fd, &message, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return watch(c, EPOLLOUT);
            return close(c);
        }
        c.written += static_cast<std::size_t>(n);
    }
    finishAnswer(c);
}

void HttpServer::finishAnswer(Connection& c) {
    c.answer.reset();
    c.since = Clock::now();
    if (c.closeAfter) {
        // Half-close and read what the client still sends, so that its unread bytes don't
        // turn our close into a reset that could destroy the answer in flight.
        ::shutdown(c.fd, SHUT_WR);
        c.phase = Connection::Phase::lingering;
    } else {
        c.phase = Connection::Phase::reading;
        c.firstByte = c.since;
    }
    watch(c, EPOLLIN);
}

void HttpServer::watch(Connection& c, std::uint32_t events) {
    if (c.events == events) return;
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = c.id;
    epoll_ctl(epollFd, EPOLL_CTL_MOD, c.fd, &ev);
    c.events = events;
}

void HttpServer::close(Connection& c) {
    if (c.phase == Connection::Phase::closed) return;
    ::close(c.fd);
    c.fd = -1;
    c.phase = Connection::Phase::closed;
    c.answer.reset();
    dead.push_back(c.id);
}

void HttpServer::sweep() {
    const Clock::time_point now = Clock::now();
    if (acceptPaused) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = listenTag;
        epoll_ctl(epollFd, EPOLL_CTL_ADD, listenFd, &ev);
        acceptPaused = false;
    }
    const auto idleLimit = std::chrono::milliseconds(limits.idleLimitMs);
    const auto requestDeadline = std::chrono::milliseconds(limits.requestDeadlineMs);
    for (auto& entry : connections) {
        Connection& c = *entry.second;
        switch (c.phase) {
            case Connection::Phase::reading:
                if (c.in.empty()) {
                    if (now - c.since >= idleLimit) close(c);
                } else if (now - c.firstByte >= requestDeadline) {
                    HttpRequest partial;
                    RequestReader::read(c.in, limits.maxHeaderBytes, limits.maxBodyBytes, partial);
                    partial.remoteAddress = c.remote;
                    c.in.clear();
                    send(c, partial, HttpAnswer::plain(408), true);
                }
                break;
            case Connection::Phase::writing:
                if (now - c.since >= requestDeadline) close(c);
                break;
            case Connection::Phase::lingering:
                if (now - c.since >= lingerLimit) close(c);
                break;
            case Connection::Phase::working:
            case Connection::Phase::closed:
                break;
        }
    }
}

void HttpServer::takeDone() {
    std::vector<Done> batch;
    {
        std::lock_guard<std::mutex> lock(doneMutex);
        batch.swap(done);
    }
    for (Done& d : batch) {
        const auto found = connections.find(d.connection);
        if (found == connections.end()) continue;
        Connection& c = *found->second;
        if (c.phase != Connection::Phase::working) continue;
        const bool closeAfter = !d.request.keepAlive;
        send(c, d.request, std::move(d.answer), closeAfter);
        if (c.phase == Connection::Phase::reading) serve(c);
    }
}

void HttpServer::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(jobsMutex);
            jobsReady.wait(lock, [this] { return workersStop || !jobs.empty(); });
            if (workersStop) return;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        std::shared_ptr<const HttpAnswer> answer;
        try {
            answer = handler.answer(job.request);
        } catch (...) {
            // The handler reports its own failures; this one it didn't expect.
        }
        if (!answer) answer = HttpAnswer::plain(500);
        {
            std::lock_guard<std::mutex> lock(doneMutex);
            done.push_back({job.connection, std::move(job.request), std::move(answer)});
        }
        const std::uint64_t one = 1;
        if (::write(wakeFd, &one, sizeof one) < 0) {
            // Already signalled.
        }
    }
}
