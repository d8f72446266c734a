// listings-load: concurrent receivers against a listings server on this machine.
//   listings-load --port N [--host ADDR] [--clients N] [--requests N]
// Each client makes its requests one after another, each on a new connection as
// a receiver does: listings for rotating time zones, channel lists for rotating
// matches and filters, and match pictures. Prints the throughput and latency
// percentiles; exits with 1 when any request failed.

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const zones[] = {
    "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb",
    "(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London",
    "(GMT-05:00) Eastern Time (US & Canada)",
    "(GMT+05:30) Chennai, Kolkata, Mumbai, New Delhi",
    "(GMT+03:00) Nowhere",
};

struct Options {
    std::string host = "127.0.0.1";
    int port = 0;
    int clients = 8;
    int requests = 500;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--host")) {
            o.host = argv[i + 1];
        } else if (!std::strcmp(argv[i], "--port")) {
            o.port = std::atoi(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--clients")) {
            o.clients = std::atoi(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--requests")) {
            o.requests = std::atoi(argv[i + 1]);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && o.port > 0 && o.clients > 0 && o.requests > 0;
}

// One request of the mix; true when it was answered as expected.
bool request(const Options& o, int client, int n) {
    httplib::Client http(o.host, o.port);
    http.set_connection_timeout(5);
    http.set_read_timeout(10);
    const std::string device =
        "02:00:00:00:00:" + std::string(1, "0123456789abcdef"[client % 16]) + "0";
    const int kind = n % 10;
    auto answered = [](const httplib::Result& res) {
        return res && res->status == 200 && !res->body.empty();
    };
    if (kind < 6) {
        const std::string body = std::string("z=") + zones[(client + n) % 5] + "&m=" + device;
        return answered(http.Post("/pitchsidenew/matchray_data_dm.php", {{"User-Agent", "PS"}},
                                  body, "application/x-www-form-urlencoded"));
    }
    if (kind < 9) {
        const std::string body =
            "id=" + std::to_string(101 + n % 20) + "&f=" + std::to_string(n % 4) + "&m=" + device;
        return answered(http.Post("/pitchsidenew/matchray_channels_dm.php", {{"User-Agent", "PS"}},
                                  body, "application/x-www-form-urlencoded"));
    }
    return answered(http.Get("/fix/cup.png", {{"User-Agent", "Mozilla/5.0"}}));
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: listings-load --port N [--host ADDR] [--clients N] [--requests N]\n");
        return 2;
    }
    std::vector<std::vector<double>> latencies(static_cast<std::size_t>(o.clients));
    std::atomic<int> errors{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < o.clients; ++c) {
        threads.emplace_back([&, c] {
            auto& mine = latencies[static_cast<std::size_t>(c)];
            mine.reserve(static_cast<std::size_t>(o.requests));
            for (int n = 0; n < o.requests; ++n) {
                const auto t0 = std::chrono::steady_clock::now();
                if (!request(o, c, n)) ++errors;
                const auto t1 = std::chrono::steady_clock::now();
                mine.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            }
        });
    }
    for (std::thread& t : threads) t.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::vector<double> all;
    for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
    std::sort(all.begin(), all.end());
    auto percentile = [&](double p) {
        return all[std::min(all.size() - 1,
                            static_cast<std::size_t>(p * static_cast<double>(all.size())))];
    };
    std::printf(
        "clients=%d requests=%zu errors=%d seconds=%.2f throughput=%.0f/s p50=%.2fms "
        "p99=%.2fms max=%.2fms\n",
        o.clients, all.size(), errors.load(), seconds, static_cast<double>(all.size()) / seconds,
        percentile(0.50), percentile(0.99), all.back());
    return errors == 0 ? 0 : 1;
}
