// Two listings-server replicas, each with its own database imported from the
// same JSON, behind an nginx balancer on loopback, as docs/server.md deploys them.

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "ChildProcess.h"
#include "ProcessRun.h"
#include "RefusingPort.h"
#include "TempDir.h"

namespace {

const std::string server = MATCHRAY_BIN_DIR "/listings-server";
const std::string loadClient = MATCHRAY_BIN_DIR "/listings-load";
const std::string sample = MATCHRAY_SOURCE_DIR "/data/sample/listings.json";

std::string findNginx() {
    for (const char* path : {"/usr/sbin/nginx", "/usr/bin/nginx"})
        if (access(path, X_OK) == 0) return path;
    return {};
}

// The balancer's configuration: everything under @DIR@, a failed attempt (POSTs
// included) passed to the other replica.
const char* const balancerConfig = R"(daemon off;
master_process off;
pid @DIR@/nginx.pid;
error_log @DIR@/nginx-error.log warn;
events { worker_connections 512; }
http {
    access_log off;
    client_body_temp_path @DIR@/body;
    proxy_temp_path @DIR@/proxy;
    fastcgi_temp_path @DIR@/fastcgi;
    uwsgi_temp_path @DIR@/uwsgi;
    scgi_temp_path @DIR@/scgi;
    upstream listings {
        server 127.0.0.1:@A@ max_fails=1 fail_timeout=10s;
        server 127.0.0.1:@B@ max_fails=1 fail_timeout=10s;
        keepalive 8;
        keepalive_timeout 2s;
    }
    server {
        listen 127.0.0.1:@PORT@;
        location / {
            proxy_pass http://listings;
            proxy_http_version 1.1;
            proxy_set_header Connection "";
            proxy_next_upstream error timeout http_502 http_503 non_idempotent;
            proxy_connect_timeout 2s;
            proxy_read_timeout 10s;
        }
    }
}
)";

std::string filledIn(std::string text,
                     const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values)
        for (std::size_t at = text.find(key); at != std::string::npos;
             at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    return text;
}

bool accepts(int port, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        httplib::Client client("127.0.0.1", port);
        client.set_connection_timeout(1);
        if (client.Get("/")) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

struct Exchange {
    const char* path;
    const char* body;  // nullptr: a GET
};

const Exchange exchanges[] = {
    {"/pitchsidenew/matchray_data_dm.php",
     "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=02:00:00:00:00:01"},
    {"/pitchsidenew/matchray_data_dm.php",
     "z=(GMT-05:00) Eastern Time (US & Canada)&m=02:00:00:00:00:02"},
    {"/pitchsidenew/matchray_channels_dm.php", "id=104&f=2&m=02:00:00:00:00:01"},
    {"/pitchsidenew/matchray_data_dm.php", "z=(GMT"},
    {"/fix/qual.png", nullptr},
    {"/fix/none.png", nullptr},
};

// Status, type, zone and body of one answer, or "no answer".
std::string answer(int port, const Exchange& e) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10);
    const httplib::Result res = e.body ? client.Post(e.path, {{"User-Agent", "PS"}}, e.body,
                                                     "application/x-www-form-urlencoded")
                                       : client.Get(e.path);
    if (!res) return "no answer";
    return std::to_string(res->status) + " " + res->get_header_value("Content-Type") + " " +
           res->get_header_value("X-Listings-Zone") + "\n" + res->body;
}

}  // namespace

TEST(Replicas, BalancedAnswersAreTheReplicasOwnAndAKilledReplicaLosesNoRequest) {
    const std::string nginx = findNginx();
    if (nginx.empty())
        GTEST_SKIP() << "nginx is not installed (scripts/setup.sh installs Debian's nginx)";
    TempDir dir;
    std::unique_ptr<ChildProcess> replicas[2];
    int ports[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const std::string name = "replica" + std::to_string(i);
        ASSERT_EQ(runProcess({server, "import", "--db", dir.file(name + ".db"), sample}).exitCode,
                  0);
        replicas[i] = std::make_unique<ChildProcess>(
            std::vector<std::string>{server, "serve", "--db", dir.file(name + ".db"), "--port",
                                     "0"},
            dir.file(name + ".log"));
        ports[i] = listeningPort(*replicas[i]);
        ASSERT_GT(ports[i], 0) << dir.read(name + ".log");
    }
    const int port = RefusingPort().port();
    dir.write("nginx.conf", filledIn(balancerConfig, {{"@DIR@", dir.path()},
                                                      {"@PORT@", std::to_string(port)},
                                                      {"@A@", std::to_string(ports[0])},
                                                      {"@B@", std::to_string(ports[1])}}));
    ChildProcess balancer(
        {nginx, "-e", dir.file("nginx-error.log"), "-p", dir.path(), "-c", dir.file("nginx.conf")},
        dir.file("nginx.out"));
    ASSERT_TRUE(accepts(port, 10000)) << dir.read("nginx-error.log") << dir.read("nginx.out");

    // Round robin: two requests through the balancer reach both replicas.
    for (const Exchange& e : exchanges) {
        const std::string own = answer(ports[0], e);
        EXPECT_EQ(answer(ports[1], e), own) << e.path << " " << (e.body ? e.body : "");
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(answer(port, e), own) << e.path << " " << (e.body ? e.body : "");
    }

    std::atomic<bool> loadDone{false};
    ProcessResult load;
    std::thread clients([&] {
        load = runProcess(
            {loadClient, "--port", std::to_string(port), "--clients", "8", "--requests", "500"}, "",
            180000);
        loadDone = true;
    });
    // The second replica dies abruptly once it has served a share of the load,
    // with requests in flight.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (lineCount(dir.read("replica1.log")) < 100 && !loadDone &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool stoppedDuringLoad = !loadDone;
    replicas[1]->terminate(10000, SIGKILL);
    clients.join();

    EXPECT_TRUE(stoppedDuringLoad) << "the load ended before the replica was stopped";
    EXPECT_EQ(load.exitCode, 0) << load.out << load.err;
    EXPECT_NE(load.out.find("requests=4000 errors=0"), std::string::npos) << load.out;
    EXPECT_GT(lineCount(dir.read("replica0.log")), 2000u);
}
