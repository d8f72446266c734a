// The listings-server program: importing, refusing to start, many receivers at once, and
// two replicas behind an nginx balancer (as docs/server.md deploys them), one killed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <regex>
#include <tuple>

#include "ChildProcess.h"
#include "ProcessRun.h"
#include "RefusingPort.h"
#include "RunningService.h"
#include "TempRoot.h"

namespace {

const std::string server = MATCHRAY_BIN_DIR "/listings-server";
const std::vector<std::vector<std::string>> asks = {
    {"POST", listingsPath, "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=02:00:00:00:00:01"},
    {"POST", listingsPath, "z=(GMT-05:00) Eastern Time (US & Canada)&m=02:00:00:00:00:02"},
    {"POST", channelsPath, "id=104&f=0&m=02:00:00:00:00:01"},
    {"POST", listingsPath, "z=(GMT"},
    {"GET", "/fix/cup.png", ""},
    {"GET", "/fix/none.png", ""}};

// The status line and body of an answer: what a balancer passes on unchanged.
std::string seen(int port, const std::vector<std::string>& ask) {
    const std::string answer = exchange(port, ask[0], ask[1], ask[2]);
    const std::size_t body = answer.find("\r\n\r\n");
    return body == std::string::npos ? "no answer"
                                     : answer.substr(0, answer.find('\n')) + answer.substr(body);
}

// Clients asking at once, a new connection per request: the answers unlike those given alone.
int wrongAnswers(int port, const std::vector<std::string>& expected, int clients, int each) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            for (int n = 0; n < each; ++n)
                wrong += seen(port, asks[(c + n) % asks.size()]) != expected[(c + n) % asks.size()];
        });
    for (std::thread& t : threads) t.join();
    return wrong;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A program serving its own database imported from the sample.
struct Program {
    Program(const TempRoot& root, const std::string& name)
        : db(root.real("/" + name + ".db")),
          log(root.real("/" + name + ".log")),
          import(runProcess({server, "import", "--db", db, sample})),
          process({server, "serve", "--db", db, "--port", "0", "--threads", "8"}, log),
          port(listeningPort(process)) {}
    std::string db, log;
    ProcessResult import;
    ChildProcess process;
    int port;
};

}  // namespace

TEST(ServerProgram, RefusesWithTheReasonOfEachCase) {
    TempRoot root;
    Program s(root, "server");
    ASSERT_GT(s.port, 0) << root.readFile("/server.log");
    root.writeFile("/bad.json", R"({"matches": [{"id": 500, "title": "Bad#Title"}]})");
    const std::tuple<std::vector<std::string>, int, std::string> refusals[] = {
        {{"import", "--db", s.db, root.real("/bad.json")},
         1,
         "matches[0] (id 500), field \"kickoff\": is missing\nnothing was imported"},
        {{"serve"}, 2, "--db FILE is required"},
        {{"serve", "--db", root.real("/none.db")}, 1, "cannot open database"},
        {{"serve", "--db", s.db, "--pictures", root.path()}, 1, "server.db lies in it"},
        {{"serve", "--db", s.db, "--port", std::to_string(s.port)},
         1,
         ":" + std::to_string(s.port) + ": Address already in use"}};
    for (auto [args, exitCode, message] : refusals) {
        args.insert(args.begin(), server);
        const ProcessResult r = runProcess(args);
        EXPECT_EQ(r.exitCode, exitCode) << args[1];
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
}

// Each request logged, then the stop.
TEST(ServerProgram, ServesManyReceiversAtOnceUntilStopped) {
    TempRoot root;
    Program s(root, "server");
    ASSERT_EQ(s.import.out, "imported 15 channels, 4 pictures, 20 matches into " + s.db + "\n");
    ASSERT_GT(s.port, 0) << root.readFile("/server.log");
    std::vector<std::string> expected;
    for (const auto& ask : asks) expected.push_back(seen(s.port, ask));
    EXPECT_EQ(wrongAnswers(s.port, expected, 8, 250), 0);
    EXPECT_EQ(s.process.terminate(10000), 0);
    const std::string log = root.readFile("/server.log");
    EXPECT_EQ(lineCount(log), asks.size() + 2000 + 1);
    EXPECT_NE(log.find("listings-server: stopped"), std::string::npos);
}

// Standard error into a pipe that nobody reads: all requests are answered all the same.
TEST(ServerProgram, AStalledLogHoldsUpNoRequest) {
    TempRoot root;
    ASSERT_EQ(mkfifo(root.real("/server.log").c_str(), 0600), 0);
    const int pipe = open(root.real("/server.log").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    Program s(root, "server");
    std::string asks;
    for (int i = 1; i <= 1000; ++i)
        asks += "GET /fix/none.png HTTP/1.1\r\nHost: a\r\n" +
                std::string(i == 1000 ? "Connection: close\r\n\r\n" : "\r\n");
    std::deque<RunningService::Raw> connections;
    for (int c = 0; c < 10; ++c) connections.emplace_back(s.port).send(asks);
    std::regex answer("HTTP/1\\.1 404 ");
    for (RunningService::Raw& c : connections) {
        const std::string answers = c.readUntilClosed(30000);
        EXPECT_EQ(std::distance(std::sregex_iterator(answers.begin(), answers.end(), answer),
                                std::sregex_iterator()),
                  1000);
    }
    EXPECT_EQ(s.process.terminate(10000), 0);
    close(pipe);
}

// Two replicas, each with its own database, behind nginx on a port of the test's.
class Replicas : public testing::Test {
protected:
    void SetUp() override {
        if (access(nginx.c_str(), X_OK) != 0)
            GTEST_SKIP() << "nginx is not installed (scripts/setup.sh installs it)";
        ASSERT_TRUE(a.port > 0 && b.port > 0) << root.readFile("/a.log") << root.readFile("/b.log");
        std::string config = readBinary(MATCHRAY_SOURCE_DIR "/tests/server/balancer.conf");
        for (const auto& [key, value] :
             {std::pair{"@A@", a.port}, {"@B@", b.port}, {"@PORT@", port}})
            config.replace(config.find(key), std::strlen(key), std::to_string(value));
        root.writeFile("/nginx.conf", config);
        balancer = std::make_unique<ChildProcess>(
            std::vector<std::string>{nginx, "-e", root.real("/nginx-error.log"), "-p", root.path(),
                                     "-c", root.real("/nginx.conf")},
            root.real("/nginx.out"));
        for (int i = 0; i < 500 && seen(port, asks[0]) == "no answer"; ++i) usleep(20000);
        for (const auto& ask : asks) expected.push_back(seen(a.port, ask));
    }

    const std::string nginx = "/usr/sbin/nginx";  // Debian's
    TempRoot root;
    Program a{root, "a"}, b{root, "b"};
    const int port = RefusingPort().port();
    std::unique_ptr<ChildProcess> balancer;
    std::vector<std::string> expected;  // the answers of replica a
};

// Round robin: two requests through the balancer reach both replicas.
TEST_F(Replicas, BalancedAnswersAreTheReplicasOwn) {
    for (std::size_t n = 0; n < asks.size(); ++n) {
        EXPECT_EQ(seen(b.port, asks[n]), expected[n]) << asks[n][1] << " " << asks[n][2];
        for (int i = 0; i < 2; ++i) EXPECT_EQ(seen(port, asks[n]), expected[n]) << asks[n][1];
    }
}

// The second replica dies abruptly with requests in flight, once it has served some.
TEST_F(Replicas, KilledReplicaLosesNoRequest) {
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
