// The listings service on loopback: answers, refusals, the answer memory,
// connections kept open, and clients too slow to serve.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "Importer.h"
#include "ProcessRun.h"
#include "RunningService.h"
#include "Snapshot.h"
#include "TempRoot.h"

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

const std::string listingsPath = "/pitchsidenew/matchray_data_dm.php";
const std::string channelsPath = "/pitchsidenew/matchray_channels_dm.php";
const std::string zoneBody = "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=00:00:00:00:00:00";
const std::string png = std::string("\x89PNG\r\n\x1a\n", 8);
const std::string sample = MATCHRAY_SOURCE_DIR "/data/sample/listings.json";
constexpr std::int64_t noon = 1749902400;  // 2025-06-14 12:00 UTC, a Saturday

json channel(int id, const std::string& satellite, const std::string& name = "Channel") {
    return {{"id", id},
            {"name", name},
            {"satellite", satellite},
            {"frequency", "11494"},
            {"polarisation", "H"},
            {"symbol_rate", 22000},
            {"fec", "2/3"},
            {"encryption", "FTA"},
            {"hd", id % 2}};
}

json match(int id, const std::string& kickoff, json channels, const std::string& title = "T") {
    return {{"id", id},
            {"title", title},
            {"country1", "de"},
            {"picture", "p.png"},
            {"country2", "fr"},
            {"kickoff", kickoff},
            {"channels", std::move(channels)}};
}

// The status codes of the answers in a stream of bytes, in order.
std::vector<int> statusesIn(const std::string& stream) {
    std::vector<int> statuses;
    for (std::size_t at = stream.find("HTTP/1.1 "); at != std::string::npos;
         at = stream.find("HTTP/1.1 ", at + 1))
        statuses.push_back(std::atoi(stream.c_str() + at + 9));
    return statuses;
}

class Served : public testing::Test {
protected:
    std::string db() const { return root.real("/listings.db"); }
    void import(const std::string& text, std::int64_t now = noon) {
        Database database(db(), Database::Mode::create);
        const auto r = Importer(database, now).importText(text, root.path());
        ASSERT_TRUE(r.ok()) << r.error;
    }
    RunningService& start(const std::string& picturesDir = "") {
        HttpService::Options options;
        options.dbPath = db();
        options.picturesDir = picturesDir;
        options.threads = 4;
        options.requestDeadlineMs = requestDeadlineMs;
        options.idleLimitMs = idleLimitMs;
        options.now = [this] { return clock.load(); };
        service = std::make_unique<RunningService>(options);
        return *service;
    }
    // The answer to one request, a PNG signature shown as "<PNG>".
    std::string ask(const std::string& method, const std::string& path,
                    const std::string& body = "") {
        std::string answer = exchange(service->port(), method, path, body);
        if (const std::size_t at = answer.find(png); at != std::string::npos)
            answer.replace(at, png.size(), "<PNG>");
        return answer;
    }

    TempRoot root;
    std::atomic<std::int64_t> clock{noon};
    int requestDeadlineMs = 10000, idleLimitMs = 5000;
    std::unique_ptr<RunningService> service;
};

}  // namespace

// The sample data and records at the edges of their capacities, read back through every
// kind of request, good and refused; the log names each request's device.
TEST_F(Served, RequestTableAnswersAsTheSnapshotShows) {
    {
        Database database(db(), Database::Mode::create);
        const auto r = Importer(database, noon).importFile(sample);
        ASSERT_TRUE(r.ok()) << r.error;
    }
    std::string title = "\xc3\x96sterreich - ";  // two-byte letters up to 199 bytes
    while (title.size() + 2 <= 199) title += "\xc3\xa9";
    title += "x";
    const std::string blanks = "  Blanks  inside and around  ";
    json edge = match(1, "2025-06-14T19:00:00Z", {901, 902, 903, 904, 905, 906}, title);
    edge.update({{"country1", std::string(19, 'a')}, {"picture", std::string(15, 'p') + ".png"}});
    const json doc = {{"channels",
                       {channel(901, "19.2e", std::string(99, 'N')),
                        channel(902, "180.0w",
                                "\xc4\x8c"
                                "esk\xc3\xa1"),
                        channel(903, "13e", blanks), channel(904, "1.0w"), channel(905, "16.0e"),
                        channel(906, "28.2e")}},
                      {"pictures", {{{"name", "both.png"}, {"file", "both.png"}}}},
                      {"matches",
                       {edge, match(-5, "2025-06-14T20:00:00Z", json::array(), blanks),
                        match(2147483647, "2025-06-14T21:00:00Z", {903}),
                        // The window: from two and a half hours ago to a week ahead.
                        match(10, "2025-06-14T09:29:00Z", json::array()),
                        match(11, "2025-06-14T09:30:00Z", json::array()),
                        match(12, "2025-06-21T11:59:00Z", json::array()),
                        match(13, "2025-06-21T12:00:00Z", json::array())}}};
    root.writeFile("/both.png", png + "database copy");
    import(doc.dump());
    root.writeFile("/pictures/dir.png", "from the directory");
    root.writeFile("/pictures/both.png", "directory copy");
    fs::create_directory(root.real("/pictures/sub.png"));
    RunningService& s = start(root.real("/pictures"));

    struct Request {
        std::string method, path, body;
    };
    std::vector<Request> table = {
        {"POST", listingsPath, zoneBody},
        {"POST", listingsPath, "z=(GMT-05:00) Eastern Time (US & Canada)&m=00:1a:2b:3c:4d:5e"},
        {"POST", listingsPath, "z=(GMT) Nowhere&m=00:00:00:00:00:00"},
        {"POST", channelsPath, "id=2147483647&f=0&m=66:77:88:99:aa:bb"},
        {"POST", channelsPath, "id=404&f=0&m=00:00:00:00:00:00"},
        {"POST", listingsPath,
         "z=" + std::string(HttpService::maxBodyBytes - 22, 'x') +
             "&m=00:00:00:00:00:00"},  // just fits
        {"POST", listingsPath, std::string(HttpService::maxBodyBytes + 1, 'a')},
        {"POST", channelsPath, std::string(HttpService::maxBodyBytes + 1, 'a')},
        {"POST", listingsPath, ""},
        {"POST", listingsPath, "z=Berlin&m=00:00:00:00:00:0"},
        {"POST", channelsPath, "id=abc&f=0&m=de:ad:be:ef:00:01"},
        {"POST", channelsPath, zoneBody},
        {"POST", "/pitchsidenew/other.php", zoneBody},
        {"GET", listingsPath, ""},
        {"GET", "/", ""},
        {"GET", "/fix/", ""},
        {"GET", "/fix/..%2Flistings.db", ""},
        {"GET", "/fix/a%0Ab", ""},
        {"GET", "/fix/both.png", ""},  // the database's copy first
        {"GET", "/fix/dir.png", ""},
        {"GET", "/fix/sub.png", ""},  // a directory
    };
    for (int f : {-1, 0, 1, 2, 3, 7})  // the colour keys' satellite filters
        table.push_back(
            {"POST", channelsPath, "id=1&f=" + std::to_string(f) + "&m=00:00:00:00:00:00"});
    for (int id = 101; id <= 120; ++id)
        table.push_back(
            {"POST", channelsPath, "id=" + std::to_string(id) + "&f=0&m=00:00:00:00:00:00"});
    std::string text;
    for (const Request& r : table) {
        std::string answer = ask(r.method, r.path, r.body);
        std::size_t end = 0;  // after the first, answers are shown in their first 12 lines
        for (int line = 0; line < 12 && end != std::string::npos && &r != &table[0]; ++line)
            end = answer.find('\n', end + 1);
        text += "\n" + r.method + " " + r.path + " " + r.body.substr(0, 60) + "\n" +
                answer.substr(0, end);
    }
    EXPECT_EQ(ask("POST", listingsPath, zoneBody), ask("POST", listingsPath, zoneBody));

    // A line is logged once its answer is sent, so it may come a moment later.
    std::vector<std::string> log = s.log();
    for (int i = 0; i < 500 && log.size() < table.size() + 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        log = s.log();
    }
    for (std::string& line : log) line.erase(0, line.find(' ', line.find(' ') + 1));
    std::sort(log.begin(), log.end());
    text += "\nlog:\n";
    for (const std::string& line : log) text += line + "\n";
    expectSnapshot("server-requests", text);

    // Every sample match names flags the receiver has and a picture the service has.
    std::istringstream listings(ask("POST", listingsPath, zoneBody));
    for (std::string line; std::getline(listings, line);) {
        std::vector<std::string> f;
        for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1)
            f.push_back(line.substr(at, (end = line.find('#', at)) - at));
        if (f.size() != 6 || f[0].size() != 3) continue;  // sample ids have three digits
        for (const std::string& country : {f[2], f[4]})
            EXPECT_TRUE(fs::exists("/usr/share/flags/countries/16x11/" + country + ".png"));
        EXPECT_EQ(ask("GET", "/fix/" + f[3]).rfind("HTTP/1.1 200 OK\nContent-Type: image/png\n", 0),
                  0u)
            << f[3];
    }
}

// Raw byte streams on one connection each: the statuses answered in turn until the service
// closes (at the latest when the connection has been idle too long).
TEST_F(Served, ConnectionsAreAnsweredInTurnUntilTheyClose) {
    import(json{{ "matches", json::array() }}.dump());
    idleLimitMs = 300;
    requestDeadlineMs = 1000;
    RunningService& s = start();
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(MATCHRAY_SOURCE_DIR "/fuzz/corpus/http_request"))
        files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::vector<std::unique_ptr<RunningService::Raw>> connections;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        connections.push_back(std::make_unique<RunningService::Raw>(s.port()));
        connections.back()->send(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    std::string text;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::vector<int> statuses = statusesIn(connections[i]->readUntilClosed(5000));
        text += files[i].filename().string() + (connections[i]->closed() ? ": closed" : ": open");
        for (int status : statuses) text += " " + std::to_string(status);
        text += "\n";
    }
    expectSnapshot("server-connections", text);
}

// Each answer on a kept connection goes out in one send: a header and body written apart
// would wait for the receiver's delayed acknowledgement.
TEST_F(Served, KeptConnectionsGetEachAnswerWholeAtOnce) {
    import(json{{ "matches", { match(1, "2025-06-14T19:00:00Z", json::array()) } }}.dump());
    root.writeFile("/pictures/p.png", png + std::string(30000, 'p'));
    RunningService& s = start(root.real("/pictures"));
    const std::string requests[] = {
        "GET /fix/p.png HTTP/1.1\r\n\r\n",
        "POST " + listingsPath + " HTTP/1.1\r\nContent-Length: " + std::to_string(zoneBody.size()) +
            "\r\n\r\n" + zoneBody,
    };
    RunningService::Raw connection(s.port());
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(connection.send(requests[i % 2]));
        const std::string answer = connection.readOnce(10000);
        const std::size_t head = answer.find("\r\n\r\n"), length = answer.find("Content-Length: ");
        ASSERT_NE(length, std::string::npos) << i << answer;
        EXPECT_EQ(statusesIn(answer), std::vector<int>{200}) << i;
        EXPECT_EQ(answer.size() - head - 4, std::stoul(answer.substr(length + 16))) << i;
    }
}

// Answers come from memory for a minute (no longer: the window moves on), and an import
// from another process drops them all.
TEST_F(Served, AnswerMemoryLastsAMinuteAndAnImportDropsIt) {
    const auto document = [](const std::string& word) {
        return json{{"channels", {channel(1, "19.2e", word)}},
                    {"pictures", {{{"name", "p.png"}, {"file", word + ".png"}}}},
                    {"matches",
                     {match(1, "2025-06-14T09:00:00Z", {1}, "Early"),
                      match(2, "2025-06-14T20:00:00Z", {1}, word)}}};
    };
    for (const std::string word : {"Old", "New"}) root.writeFile("/" + word + ".png", png + word);
    import(document("Old").dump());
    clock = 1749859200 + 9 * 3600 + HttpService::listedBeforeSeconds - 30;  // Early leaves in 30 s
    start();
    const auto all = [&] {
        return ask("POST", listingsPath, zoneBody) +
               ask("POST", channelsPath, "id=2&f=0&m=00:00:00:00:00:00") + ask("GET", "/fix/p.png");
    };
    const std::string first = all();
    ASSERT_NE(first.find("#Early#"), std::string::npos) << first;
    clock += 40;
    EXPECT_EQ(all(), first);
    clock += 30;
    const std::string later = all();
    EXPECT_EQ(later.find("#Early#"), std::string::npos);

    root.writeFile("/after.json", document("New").dump());
    const ProcessResult import = runProcess(
        {MATCHRAY_BIN_DIR "/listings-server", "import", "--db", db(), root.real("/after.json")});
    ASSERT_EQ(import.exitCode, 0) << import.err;
    std::string after = all();
    int changed = 0;
    for (std::size_t at; (at = after.find("New")) != std::string::npos; ++changed)
        after.replace(at, 3, "Old");
    EXPECT_EQ(changed, 3);  // in every kind of answer
    EXPECT_EQ(after, later);
}

// Silent, idle and dripping clients are cut at the idle limit or the request deadline
// while others are served meanwhile.
TEST_F(Served, SlowClientsAreCutWhileOthersAreServed) {
    import(json{{ "matches", json::array() }}.dump());
    requestDeadlineMs = 1000;
    idleLimitMs = 500;
    RunningService& s = start();
    const std::string request = "POST " + listingsPath +
                                " HTTP/1.1\r\nContent-Length: " + std::to_string(zoneBody.size()) +
                                "\r\n\r\n" + zoneBody;
    struct Group {
        const char* name;
        std::size_t sentAtOnce;  // then one byte a step while nothing came back
        int firstStatus;         // 0: nothing
        int closedAfterMs;       // not before
    };
    const Group groups[] = {{"silent", 0, 0, 500},
                            {"idle after an answer", request.size(), 200, 500},
                            {"header dripping", 1, 408, 1000},
                            {"body dripping", request.find("\r\n\r\n") + 4, 408, 1000}};
    struct Client {
        const Group* group;
        std::unique_ptr<RunningService::Raw> connection;
        std::size_t sent;
        std::string received;
        double closedAtMs = -1;
    };
    std::vector<Client> clients;
    const auto start = std::chrono::steady_clock::now();
    for (const Group& g : groups)
        for (int i = 0; i < 12; ++i) {
            clients.push_back(
                {&g, std::make_unique<RunningService::Raw>(s.port()), g.sentAtOnce, "", -1});
            clients.back().connection->send(request.substr(0, g.sentAtOnce));
        }
    int served = 0;
    for (int step = 0; step < 80; ++step) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::size_t open = 0;
        for (Client& c : clients) {
            if (c.connection->closed()) continue;
            if (c.received.empty() && c.sent < request.size() && c.group->firstStatus == 408)
                c.connection->send(request.substr(c.sent++, 1));
            c.received += c.connection->readOnce(0);
            if (!c.connection->closed())
                ++open;
            else
                c.closedAtMs = std::chrono::duration<double, std::milli>(
                                   std::chrono::steady_clock::now() - start)
                                   .count();
        }
        if (step % 4 == 0 && ask("POST", listingsPath, zoneBody).rfind("HTTP/1.1 200 ", 0) == 0)
            ++served;
        if (open == 0) break;
    }
    EXPECT_GE(served, 2);
    for (const Client& c : clients) {
        SCOPED_TRACE(c.group->name);
        EXPECT_TRUE(c.connection->closed());
        EXPECT_GE(c.closedAtMs, c.group->closedAfterMs);
        const std::vector<int> statuses = statusesIn(c.received);
        EXPECT_EQ(statuses.empty() ? 0 : statuses[0], c.group->firstStatus);
    }
}
