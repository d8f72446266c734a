// slow-clients: holds many slow connections open against a listings server on
// this machine and measures a normal listings request meanwhile.
//   slow-clients --port N [--idle N] [--silent N] [--drip N] [--seconds S]
// Idle clients send one whole request, read the answer and stay connected;
// silent ones connect and send nothing; drip ones send a request header one
// byte a second. A connection the server closes is counted and opened again,
// so the number held open stays the same. One normal request at a time runs
// beside them on a connection of its own, each limited to 5 s. Everything ends
// after S seconds (default 15). Loopback only.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const std::string body = "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=02:00:00:00:00:01";

std::string listingsRequest(int port) {
    return "POST /pitchsidenew/matchray_data_dm.php HTTP/1.1\r\nHost: 127.0.0.1:" +
           std::to_string(port) +
           "\r\nUser-Agent: PS\r\nAccept: */*\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n" + body;
}

enum Kind { Idle, Silent, Drip, Kinds };
const char* const kindNames[Kinds] = {"idle", "silent", "drip"};

struct Slow {
    Kind kind = Idle;
    int fd = -1;
    Clock::time_point opened;
    std::size_t sent = 0;  // bytes of the request sent
    Clock::time_point nextDrip;
    bool answered = false;  // on this connection
};

int openSocket(int port, bool blocking) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    if (fd < 0) return -1;
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
        close(fd);
        return -1;
    }
    return fd;
}

// One normal request on a connection of its own: its time in ms, or -1 when it
// failed or took longer than 5 s.
double normalRequest(int port, const std::string& request) {
    const auto start = Clock::now();
    const int fd = openSocket(port, true);
    if (fd < 0) return -1;
    timeval limit{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    std::string answer;
    bool whole = send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                 static_cast<ssize_t>(request.size());
    std::size_t expected = std::string::npos;
    while (whole && answer.size() != expected && Clock::now() - start < std::chrono::seconds(5)) {
        char buffer[4096];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(n));
        const std::size_t end = answer.find("\r\n\r\n");
        const std::size_t length = answer.find("Content-Length: ");
        if (expected == std::string::npos && end != std::string::npos && length < end)
            expected = end + 4 + std::strtoul(answer.c_str() + length + 16, nullptr, 10);
    }
    close(fd);
    if (answer.size() != expected || answer.compare(0, 12, "HTTP/1.1 200") != 0) return -1;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Options {
    int port = 0;
    int counts[Kinds] = {334, 333, 333};
    int seconds = 15;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--port")) {
            o.port = value;
        } else if (!std::strcmp(argv[i], "--idle")) {
            o.counts[Idle] = value;
        } else if (!std::strcmp(argv[i], "--silent")) {
            o.counts[Silent] = value;
        } else if (!std::strcmp(argv[i], "--drip")) {
            o.counts[Drip] = value;
        } else if (!std::strcmp(argv[i], "--seconds")) {
            o.seconds = value;
        } else {
            return false;
        }
    }
    const int total = o.counts[Idle] + o.counts[Silent] + o.counts[Drip];
    return argc % 2 == 1 && o.port > 0 && o.port < 65536 && o.seconds > 0 && o.seconds <= 600 &&
           o.counts[Idle] >= 0 && o.counts[Silent] >= 0 && o.counts[Drip] >= 0 && total <= 20000;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: slow-clients --port N [--idle N] [--silent N] [--drip N] "
                     "[--seconds S]\n");
        return 2;
    }
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    const std::string request = listingsRequest(o.port);
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(o.seconds);
    std::vector<Slow> slow;
    for (int k = 0; k < Kinds; ++k)
        for (int i = 0; i < o.counts[k]; ++i) {
            slow.emplace_back();
            slow.back().kind = static_cast<Kind>(k);
        }
    int openFailures = 0;
    int idleAnswers = 0;
    int cut[Kinds] = {0, 0, 0};
    std::vector<double> cutAfter[Kinds];
    auto reopen = [&](Slow& s) {
        if (s.fd >= 0) close(s.fd);
        s.fd = openSocket(o.port, false);
        if (s.fd < 0) ++openFailures;
        s.opened = Clock::now();
        s.nextDrip = s.opened;
        s.sent = 0;
        s.answered = false;
    };
    for (Slow& s : slow) reopen(s);

    // Normal requests, one after another, once the slow ones had a second to connect.
    std::vector<double> normal;
    std::atomic<int> failed{0};
    std::thread prober([&] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        while (Clock::now() + std::chrono::seconds(5) < end) {
            const double ms = normalRequest(o.port, request);
            if (ms < 0) {
                ++failed;
            } else {
                normal.push_back(ms);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    std::vector<pollfd> fds(slow.size());
    while (Clock::now() < end) {
        const auto now = Clock::now();
        for (std::size_t i = 0; i < slow.size(); ++i) {
            Slow& s = slow[i];
            if (s.fd < 0 && now - s.opened > std::chrono::seconds(1)) reopen(s);
            short events = POLLIN;
            if (s.kind == Idle && s.sent < request.size()) events |= POLLOUT;
            if (s.kind == Drip && s.sent < request.size() && now >= s.nextDrip) events |= POLLOUT;
            fds[i] = pollfd{s.fd, events, 0};
        }
        if (poll(fds.data(), fds.size(), 50) < 0) break;
        for (std::size_t i = 0; i < slow.size(); ++i) {
            Slow& s = slow[i];
            if (s.fd < 0) continue;
            if (fds[i].revents & POLLOUT) {
                const std::size_t n = s.kind == Drip ? 1 : request.size() - s.sent;
                const ssize_t sent = send(s.fd, request.data() + s.sent, n, MSG_NOSIGNAL);
                if (sent > 0) s.sent += static_cast<std::size_t>(sent);
                s.nextDrip = Clock::now() + std::chrono::seconds(1);
            }
            if (fds[i].revents & (POLLIN | POLLERR | POLLHUP)) {
                char buffer[4096];
                const ssize_t n = recv(s.fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n > 0) {
                    if (!s.answered && s.kind == Idle) ++idleAnswers;
                    s.answered = true;
                } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                    ++cut[s.kind];
                    cutAfter[s.kind].push_back(
                        std::chrono::duration<double>(Clock::now() - s.opened).count());
                    close(s.fd);
                    s.fd = -1;  // opened again a second later
                    s.opened = Clock::now();
                }
            }
        }
    }
    prober.join();
    for (Slow& s : slow)
        if (s.fd >= 0) close(s.fd);

    for (int k = 0; k < Kinds; ++k) {
        std::vector<double>& after = cutAfter[k];
        std::sort(after.begin(), after.end());
        std::printf("%-6s %5d held open, closed by the server %5d times", kindNames[k], o.counts[k],
                    cut[k]);
        if (!after.empty())
            std::printf(", after %.1f s (median), %.1f s (max)", after[after.size() / 2],
                        after.back());
        if (k == Idle) std::printf(", %d answered before idling", idleAnswers);
        std::printf("\n");
    }
    std::sort(normal.begin(), normal.end());
    auto percentile = [&](double p) {
        return normal[std::min(normal.size() - 1,
                               static_cast<std::size_t>(p * static_cast<double>(normal.size())))];
    };
    std::printf("normal ");
    if (!normal.empty())
        std::printf("p50 %.2f ms, p99 %.2f ms, max %.2f ms; ", percentile(0.5), percentile(0.99),
                    normal.back());
    std::printf("%zu answered, %d not answered within 5 s", normal.size(), failed.load());
    if (openFailures > 0) std::printf("; %d slow connections failed to open", openFailures);
    std::printf("\n");
    return 0;
}
