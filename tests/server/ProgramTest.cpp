// The listings-server program: importing, refusing to start, many receivers at once, and
// two replicas behind an nginx balancer (as docs/server.md deploys them), one killed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "ChildProcess.h"
#include "ProcessRun.h"
#include "RefusingPort.h"
#include "RunningService.h"
#include "TempRoot.h"

namespace {

const std::string server = MATCHRAY_BIN_DIR "/listings-server";
const std::string sample = MATCHRAY_SOURCE_DIR "/data/sample/listings.json";

struct Ask {
    std::string method, path, body;
};
const std::vector<Ask> asks = {
    {"POST", "/pitchsidenew/matchray_data_dm.php",
     "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=02:00:00:00:00:01"},
    {"POST", "/pitchsidenew/matchray_data_dm.php",
     "z=(GMT-05:00) Eastern Time (US & Canada)&m=02:00:00:00:00:02"},
    {"POST", "/pitchsidenew/matchray_data_dm.php", "z=(GMT+05:30) Chennai&m=02:00:00:00:00:03"},
    {"POST", "/pitchsidenew/matchray_channels_dm.php", "id=104&f=2&m=02:00:00:00:00:01"},
    {"POST", "/pitchsidenew/matchray_channels_dm.php", "id=110&f=0&m=02:00:00:00:00:02"},
    {"POST", "/pitchsidenew/matchray_data_dm.php", "z=(GMT"},
    {"GET", "/fix/cup.png", ""},
    {"GET", "/fix/none.png", ""},
};

// The status line and body of an answer: what a balancer passes on unchanged.
std::string seen(int port, const Ask& a) {
    const std::string answer = exchange(port, a.method, a.path, a.body);
    const std::size_t body = answer.find("\r\n\r\n");
    return body == std::string::npos ? "no answer"
                                     : answer.substr(0, answer.find('\n')) + answer.substr(body);
}

// Clients asking in turn, each on a new connection as a receiver does; the answers that
// differ from the ones given one at a time.
int wrongAnswers(int port, const std::vector<std::string>& expected, int clients, int each) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            for (int n = 0; n < each; ++n) {
                const std::size_t i = static_cast<std::size_t>(c + n) % asks.size();
                if (seen(port, asks[i]) != expected[i]) ++wrong;
            }
        });
    for (std::thread& t : threads) t.join();
    return wrong;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A replica serving its own database imported from the sample.
struct Replica {
    Replica(const TempRoot& root, const std::string& name)
        : log(root.real("/" + name + ".log")),
          import(runProcess({server, "import", "--db", root.real("/" + name + ".db"), sample})),
          process({server, "serve", "--db", root.real("/" + name + ".db"), "--port", "0",
                   "--threads", "8"},
                  log),
          port(listeningPort(process)) {}
    std::string log;
    ProcessResult import;
    ChildProcess process;
    int port;
};

}  // namespace

TEST(ServerProgram, ImportReportsTheBadRecordAndServeRefusesWithoutADatabase) {
    TempRoot root;
    const std::string db = root.real("/listings.db");
    const ProcessResult ok = runProcess({server, "import", "--db", db, sample});
    EXPECT_EQ(ok.out, "imported 15 channels, 4 pictures, 20 matches into " + db + "\n");
    root.writeFile("/bad.json", R"({"matches": [{"id": 500, "title": "Bad#Title"}]})");
    const ProcessResult bad = runProcess({server, "import", "--db", db, root.real("/bad.json")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("matches[0] (id 500), field \"kickoff\": is missing"), std::string::npos)
        << bad.err;
    EXPECT_NE(bad.err.find("nothing was imported"), std::string::npos);
    const ProcessResult usage = runProcess({server, "serve"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("--db FILE is required"), std::string::npos);
    const ProcessResult missing = runProcess({server, "serve", "--db", root.real("/none.db")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot open database"), std::string::npos) << missing.err;
}

TEST(ServerProgram, ManyReceiversAtOnceGetTheAnswersOneAloneGets) {
    TempRoot root;
    Replica r(root, "server");
    ASSERT_GT(r.port, 0) << root.readFile("/server.log");
    std::vector<std::string> expected;
    for (const Ask& a : asks) expected.push_back(seen(r.port, a));
    EXPECT_EQ(wrongAnswers(r.port, expected, 8, 250), 0);
    EXPECT_EQ(r.process.terminate(10000), 0);
    const std::string log = root.readFile("/server.log");
    EXPECT_EQ(lineCount(log), asks.size() + 2000 + 1);  // and "stopped"
    EXPECT_NE(log.find("listings-server: stopped"), std::string::npos);
}

TEST(Replicas, BalancedAnswersAreTheReplicasOwnAndAKilledReplicaLosesNoRequest) {
    std::string nginx;
    for (const char* path : {"/usr/sbin/nginx", "/usr/bin/nginx"})
        if (access(path, X_OK) == 0) nginx = path;
    if (nginx.empty()) GTEST_SKIP() << "nginx is not installed (scripts/setup.sh installs it)";
    TempRoot root;
    Replica a(root, "a"), b(root, "b");
    ASSERT_TRUE(a.port > 0 && b.port > 0) << root.readFile("/a.log") << root.readFile("/b.log");
    // Everything under the root; a failed attempt (POSTs included) goes to the other replica.
    const int port = RefusingPort().port();
    root.writeFile(
        "/nginx.conf",
        "daemon off; master_process off; pid " + root.path() +
            "/nginx.pid; events { worker_connections 512; } http { access_log off;"
            " client_body_temp_path body; proxy_temp_path proxy; fastcgi_temp_path fastcgi;"
            " uwsgi_temp_path uwsgi; scgi_temp_path scgi; upstream listings {"
            " server 127.0.0.1:" +
            std::to_string(a.port) +
            " max_fails=1 fail_timeout=10s;"
            " server 127.0.0.1:" +
            std::to_string(b.port) +
            " max_fails=1 fail_timeout=10s;"
            " keepalive 8; keepalive_timeout 2s; } server { listen 127.0.0.1:" +
            std::to_string(port) +
            "; location / { proxy_pass http://listings;"
            " proxy_http_version 1.1; proxy_set_header Connection \"\";"
            " proxy_next_upstream error timeout http_502 http_503 non_idempotent;"
            " proxy_connect_timeout 2s; proxy_read_timeout 10s; } } }");
    ChildProcess balancer({nginx, "-e", root.real("/nginx-error.log"), "-p", root.path(), "-c",
                           root.real("/nginx.conf")},
                          root.real("/nginx.out"));
    for (int i = 0; i < 500 && seen(port, asks[0]) == "no answer"; ++i) usleep(20000);

    // Round robin: two requests through the balancer reach both replicas.
    std::vector<std::string> expected;
    for (const Ask& ask : asks) {
        expected.push_back(seen(a.port, ask));
        EXPECT_EQ(seen(b.port, ask), expected.back()) << ask.path << " " << ask.body;
        for (int i = 0; i < 2; ++i) EXPECT_EQ(seen(port, ask), expected.back()) << ask.path;
    }
    // The second replica dies abruptly with requests in flight, once it has served some.
    std::atomic<bool> done{false};
    int wrong = -1;
    std::thread clients([&] {
        wrong = wrongAnswers(port, expected, 8, 400);
        done = true;
    });
    for (int i = 0; i < 6000 && !done && lineCount(root.readFile("/b.log")) < 100; ++i)
        usleep(5000);
    const bool killedDuringLoad = !done;
    b.process.terminate(10000, SIGKILL);
    clients.join();
    EXPECT_TRUE(killedDuringLoad) << "the load ended before the replica was killed";
    EXPECT_EQ(wrong, 0) << root.readFile("/nginx-error.log");
    EXPECT_GT(lineCount(root.readFile("/a.log")), 1600u);
}
