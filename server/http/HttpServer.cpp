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

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

#include "HttpDate.h"
#include "Preconditions.h"
#include "RequestStream.h"

namespace {

// epoll tags; connection ids start at 1.
constexpr std::uint64_t listenTag = 0;
constexpr std::uint64_t wakeTag = ~std::uint64_t{0};

constexpr auto sweepEvery = std::chrono::milliseconds(100);
// How long a closing connection may take to acknowledge the end of its last response.
constexpr auto lingerLimit = std::chrono::milliseconds(2000);

constexpr const char* keepOpen = "\r\n";
constexpr const char* closing = "Connection: close\r\n\r\n";
constexpr const char* keptOpenForHttp10 = "Connection: keep-alive\r\n\r\n";
constexpr std::size_t dateLineSize = 6 + HttpDate::size + 2;  // "Date: " ... "\r\n"

std::string reason(int error) {
    return std::system_category().message(error);
}

// Errors a client causes by going away: the connection ends without a word in the log.
bool clientGone(int error) {
    return error == ECONNRESET || error == EPIPE || error == ETIMEDOUT || error == ENOTCONN;
}

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

    explicit Connection(RequestParser::Limits limits) : requests(limits) {}

    int fd = -1;
    std::uint64_t id = 0;
    std::string remote;
    RequestStream requests;
    Phase phase = Phase::reading;
    Clock::time_point since;      // the phase began; reading: the wait for a request began
    Clock::time_point firstByte;  // reading: the request's first byte came
    std::uint32_t events = 0;     // what epoll watches for
    // The response being written.
    std::shared_ptr<const HttpResponse> response;
    char date[dateLineSize] = {};  // the Date line it goes out with
    std::size_t dateSize = 0;      // none for 100 Continue
    const char* tail = keepOpen;
    bool withBody = true;
    bool interim = false;  // 100 Continue: the request is still being read
    bool closeAfter = false;
    bool refused = false;  // the response refuses the request: unread bytes may follow
    std::size_t written = 0;
};

HttpServer::HttpServer(Handler& handler, Limits limits) : handler(handler), limits(limits) {
    epollFd = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd < 0) throw std::system_error(errno, std::system_category(), "epoll_create1");
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = wakeTag;
    if (wakeFd < 0 || epoll_ctl(epollFd, EPOLL_CTL_ADD, wakeFd, &ev) != 0) {
        const std::system_error error(errno, std::system_category(),
                                      wakeFd < 0 ? "eventfd" : "epoll_ctl");
        if (wakeFd >= 0) ::close(wakeFd);
        ::close(epollFd);
        throw error;
    }
}

HttpServer::~HttpServer() {
    for (auto& entry : connections) {
        if (entry.second->fd >= 0) ::close(entry.second->fd);
    }
    if (listenFd >= 0) ::close(listenFd);
    ::close(wakeFd);
    ::close(epollFd);
}

HttpServer::Listening HttpServer::bind(const std::string& address, int port) {
    const std::string where = "cannot listen on " + address + ":" + std::to_string(port) + ": ";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const int resolved = getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0) return {-1, where + gai_strerror(resolved)};
    std::string error = where + "no address";
    for (addrinfo* a = found; a && listenFd < 0; a = a->ai_next) {
        const int fd = socket(a->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int one = 1;
        if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
            ::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
            error = where + reason(errno);
            if (fd >= 0) ::close(fd);
        } else {
            listenFd = fd;
        }
    }
    freeaddrinfo(found);
    if (listenFd < 0) return {-1, error};

    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = listenTag;
    if (getsockname(listenFd, reinterpret_cast<sockaddr*>(&bound), &length) != 0 ||
        epoll_ctl(epollFd, EPOLL_CTL_ADD, listenFd, &ev) != 0) {
        error = where + reason(errno);
        ::close(listenFd);
        listenFd = -1;
        return {-1, error};
    }
    return {
        ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(bound).sin6_port
                                          : reinterpret_cast<const sockaddr_in&>(bound).sin_port),
        ""};
}

bool HttpServer::run() {
    if (listenFd < 0) return false;
    workers.emplace(limits.workers, [this] { wake(); });

    bool loopFailed = false;
    epoll_event events[256];
    Clock::time_point lastSweep = Clock::now();
    while (!stopRequested) {
        const int n = epoll_wait(epollFd, events, 256, static_cast<int>(sweepEvery.count()));
        if (n < 0 && errno != EINTR) {
            failed("epoll_wait");
            loopFailed = true;
            break;
        }
        for (int i = 0; i < n; ++i) {
            const std::uint64_t tag = events[i].data.u64;
            if (tag == listenTag) {
                acceptAll();
            } else if (tag == wakeTag) {
                std::uint64_t count = 0;
                if (::read(wakeFd, &count, sizeof count) < 0 && errno != EAGAIN) failed("read");
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

    workers.reset();
    for (auto& entry : connections) {
        if (entry.second->fd >= 0) ::close(entry.second->fd);
    }
    connections.clear();
    return !loopFailed;
}

void HttpServer::stop() {
    stopRequested = true;
    wake();
}

void HttpServer::wake() {
    const std::uint64_t one = 1;
    if (::write(wakeFd, &one, sizeof one) < 0) {
        // EAGAIN: the counter is full, so the loop wakes anyway.
    }
}

void HttpServer::failed(const char* call) {
    handler.failed(std::string(call) + ": " + reason(errno));
}

bool HttpServer::control(int operation, int fd, std::uint32_t events, std::uint64_t tag) {
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = tag;
    if (epoll_ctl(epollFd, operation, fd, &ev) == 0) return true;
    failed("epoll_ctl");
    return false;
}

void HttpServer::acceptAll() {
    for (int i = 0; i < 64; ++i) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = accept4(listenFd, reinterpret_cast<sockaddr*>(&address), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            if (errno == ECONNABORTED || errno == EINTR) continue;
            failed("accept4");
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: leave the rest queued until a sweep has closed some.
                acceptPaused = control(EPOLL_CTL_DEL, listenFd, 0, listenTag);
            }
            return;
        }
        const int one = 1;
        if (setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0) failed("setsockopt");
        auto c = std::make_unique<Connection>(
            RequestParser::Limits{limits.maxHeaderBytes, limits.maxBodyBytes});
        c->fd = fd;
        c->id = nextId++;
        c->remote = addressText(address);
        c->since = Clock::now();
        c->events = EPOLLIN;
        if (!control(EPOLL_CTL_ADD, fd, EPOLLIN, c->id)) {
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
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
        if (!clientGone(errno)) failed("recv");
        return close(c);
    }
    if (c.phase != Connection::Phase::reading) return;  // lingering: dropped
    if (c.requests.idle()) c.firstByte = Clock::now();
    c.requests.append(std::string_view(buffer, static_cast<std::size_t>(n)));
}

void HttpServer::serve(Connection& c) {
    while (c.phase == Connection::Phase::reading) {
        RequestStream::Next next = c.requests.next();
        if (next.kind == RequestStream::Next::Kind::more) return;
        if (next.kind == RequestStream::Next::Kind::continueWanted) return sendContinue(c);
        HttpRequest& request = next.request;
        request.remoteAddress = c.remote;
        if (next.kind == RequestStream::Next::Kind::refused)
            return send(c, request, HttpResponse::refusal(next.refusal), true);
        Reply reply;
        try {
            reply = handler.reply(request);
        } catch (...) {
            reply.response = HttpResponse::plain(500);  // the handler reports its own failures
        }
        if (!reply.task) {
            send(c, request, reply.response ? reply.response : HttpResponse::plain(500), false);
            continue;
        }
        c.phase = Connection::Phase::working;
        watch(c, 0);
        workers->post({c.id, std::move(request), std::move(reply.task), nullptr});
    }
}

void HttpServer::send(Connection& c, const HttpRequest& request,
                      std::shared_ptr<const HttpResponse> response, bool refusal) {
    if (response->notModified && (request.method == "GET" || request.method == "HEAD")) {
        switch (Preconditions::evaluate(request.conditions, *response)) {
            case Preconditions::Outcome::send:
                break;
            case Preconditions::Outcome::notModified:
                response = response->notModified;
                break;
            case Preconditions::Outcome::failed:
                response = HttpResponse::refusal(Refusal::preconditionFailed);
                break;
        }
    }
    c.response = std::move(response);
    c.interim = false;
    const std::string& line = dateLine();
    c.dateSize = line.size();
    std::memcpy(c.date, line.data(), std::min(line.size(), sizeof c.date));
    c.refused = refusal;
    c.closeAfter = refusal || !request.keepAlive || stopRequested;
    c.tail = c.closeAfter ? closing : request.http10 ? keptOpenForHttp10 : keepOpen;
    c.withBody = request.method != "HEAD";
    c.written = 0;
    c.phase = Connection::Phase::writing;
    c.since = Clock::now();
    handler.responded(request, *c.response);
    writeTo(c);
}

void HttpServer::sendContinue(Connection& c) {
    static const auto interim = [] {
        auto response = std::make_shared<HttpResponse>();
        response->status = 100;
        response->head = "HTTP/1.1 100 Continue\r\n";
        return std::shared_ptr<const HttpResponse>(std::move(response));
    }();
    c.response = interim;
    c.interim = true;
    c.dateSize = 0;
    c.refused = false;
    c.closeAfter = false;
    c.tail = keepOpen;
    c.withBody = false;
    c.written = 0;
    c.phase = Connection::Phase::writing;
    writeTo(c);
}

const std::string& HttpServer::dateLine() {
    const std::time_t now = std::time(nullptr);
    if (now != dateSecond) {
        dateSecond = now;
        date = "Date: " + HttpDate::format(now) + "\r\n";
    }
    return date;
}

void HttpServer::writeTo(Connection& c) {
    const std::string& head = c.response->head;
    const std::size_t tailSize = std::strlen(c.tail);
    const std::size_t bodySize = c.withBody ? c.response->body.size() : 0;
    const std::size_t total = head.size() + c.dateSize + tailSize + bodySize;
    while (c.written < total) {
        iovec parts[4];
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
        add(c.date, c.dateSize);
        add(c.tail, tailSize);
        add(c.response->body.data(), bodySize);
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = count;
        // A response closed right after it goes out with the FIN in one segment.
        const ssize_t n =
            ::sendmsg(c.fd, &message, MSG_NOSIGNAL | (closesAtOnce(c) ? MSG_MORE : 0));
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return watch(c, EPOLLOUT);
            if (!clientGone(errno)) failed("sendmsg");
            return close(c);
        }
        c.written += static_cast<std::size_t>(n);
    }
    finishResponse(c);
}

bool HttpServer::closesAtOnce(const Connection& c) const {
    return c.closeAfter && !c.refused && c.requests.heldBytes() == 0 && !stopRequested;
}

void HttpServer::finishResponse(Connection& c) {
    c.response.reset();
    if (c.interim) {
        // The request goes on being read, within the deadline it began with.
        c.phase = Connection::Phase::reading;
        return watch(c, EPOLLIN);
    }
    c.since = Clock::now();
    if (c.closeAfter) {
        // A client that asked to close sends nothing more: close at once. Otherwise half-close
        // and read what it still sends, so that unread bytes don't turn our close into a
        // reset that could destroy the response in flight.
        if (closesAtOnce(c)) return close(c);
        if (::shutdown(c.fd, SHUT_WR) != 0) {
            if (!clientGone(errno)) failed("shutdown");
            return close(c);
        }
        c.phase = Connection::Phase::lingering;
    } else {
        c.phase = Connection::Phase::reading;
        c.firstByte = c.since;
    }
    watch(c, EPOLLIN);
}

void HttpServer::watch(Connection& c, std::uint32_t events) {
    if (c.events == events) return;
    if (!control(EPOLL_CTL_MOD, c.fd, events, c.id)) return close(c);
    c.events = events;
}

void HttpServer::close(Connection& c) {
    if (c.phase == Connection::Phase::closed) return;
    ::close(c.fd);
    c.fd = -1;
    c.phase = Connection::Phase::closed;
    c.response.reset();
    dead.push_back(c.id);
}

void HttpServer::sweep() {
    const Clock::time_point now = Clock::now();
    if (acceptPaused) acceptPaused = !control(EPOLL_CTL_ADD, listenFd, EPOLLIN, listenTag);
    const auto idleLimit = std::chrono::milliseconds(limits.idleLimitMs);
    const auto requestDeadline = std::chrono::milliseconds(limits.requestDeadlineMs);
    for (auto& entry : connections) {
        Connection& c = *entry.second;
        switch (c.phase) {
            case Connection::Phase::reading:
                if (c.requests.idle()) {
                    if (now - c.since >= idleLimit) close(c);
                } else if (now - c.firstByte >= requestDeadline) {
                    HttpRequest partial = c.requests.abandon();
                    partial.remoteAddress = c.remote;
                    send(c, partial, HttpResponse::refusal(Refusal::timedOut), true);
                }
                break;
            case Connection::Phase::writing:
                // 100 Continue counts against the request's deadline.
                if (now - (c.interim ? c.firstByte : c.since) >= requestDeadline) close(c);
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
    for (WorkerPool::Job& d : workers->takeDone()) {
        d.task->finished(d.response);
        const auto found = connections.find(d.connection);
        if (found == connections.end()) continue;
        Connection& c = *found->second;
        if (c.phase != Connection::Phase::working) continue;
        send(c, d.request, std::move(d.response), false);
        if (c.phase == Connection::Phase::reading) serve(c);
    }
}
