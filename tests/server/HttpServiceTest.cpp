#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "AnswerChecker.h"
#include "Importer.h"
#include "ProcessRun.h"
#include "RunningService.h"
#include "TempDir.h"

using nlohmann::json;

namespace {

const std::string listingsPath = "/pitchsidenew/matchray_data_dm.php";
const std::string channelsPath = "/pitchsidenew/matchray_channels_dm.php";
const std::string defaultZoneBody =
    "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=00:00:00:00:00:00";
const std::string flagsDir = "/usr/share/flags/countries/16x11/";

constexpr std::int64_t june14 = 1749859200;  // 2025-06-14 00:00 UTC, a Saturday
constexpr std::int64_t listedBefore = HttpService::listedBeforeSeconds;

std::int64_t realNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A database in a directory of its own, filled by import, and a service on it.
class Served : public testing::Test {
protected:
    void importFile(const std::string& path, std::int64_t now) {
        Database db(dir.file("listings.db"), Database::Mode::create);
        const auto r = Importer(db, now).importFile(path);
        ASSERT_TRUE(r.ok()) << r.error;
    }
    void importJson(const json& doc, std::int64_t now) {
        Database db(dir.file("listings.db"), Database::Mode::create);
        const auto r = Importer(db, now).importText(doc.dump(), dir.path());
        ASSERT_TRUE(r.ok()) << r.error;
    }
    RunningService& start(std::int64_t now, const std::string& picturesDir = "") {
        clock = now;
        HttpService::Options options;
        options.dbPath = dir.file("listings.db");
        options.picturesDir = picturesDir;
        options.threads = 4;
        options.requestDeadlineMs = requestDeadlineMs;
        options.idleLimitMs = idleLimitMs;
        options.now = [this] { return clock.load(); };
        service = std::make_unique<RunningService>(options);
        return *service;
    }

    TempDir dir;
    std::atomic<std::int64_t> clock{0};
    int requestDeadlineMs = 10000;
    int idleLimitMs = 5000;
    std::unique_ptr<RunningService> service;
};

// "Sat 21:00": a weekday, a blank, a 24-hour time.
bool isKickoffWording(const std::string& text) {
    static const std::string days = "Mon Tue Wed Thu Fri Sat Sun";
    int hour = -1, minute = -1;
    char day[4] = "", tail = 0;
    return text.size() == 9 &&
           std::sscanf(text.c_str(), "%3s %2d:%2d%c", day, &hour, &minute, &tail) == 3 &&
           days.find(day) % 4 == 0 && hour >= 0 && hour < 24 && minute >= 0 && minute < 60;
}

// The status codes of the answers in a stream of bytes, in order.
std::vector<int> statusesIn(const std::string& stream) {
    std::vector<int> statuses;
    for (std::size_t at = stream.find("HTTP/1.1 "); at != std::string::npos;
         at = stream.find("HTTP/1.1 ", at + 1)) {
        statuses.push_back(std::atoi(stream.c_str() + at + 9));
    }
    return statuses;
}

// Whether text holds one answer whole: its header and as many body bytes as it announces.
bool isWholeAnswer(const std::string& text) {
    const std::size_t headerEnd = text.find("\r\n\r\n");
    const std::size_t length = text.find("Content-Length: ");
    return headerEnd != std::string::npos && length != std::string::npos &&
           text.size() - headerEnd - 4 == std::stoul(text.substr(length + 16));
}

json channel(int id, const std::string& satellite, const std::string& name = "Channel") {
    return {{"id", id},
            {"name", name},
            {"satellite", satellite},
            {"frequency", "11494"},
            {"polarisation", "H"},
            {"symbol_rate", 22000},
            {"fec", "2/3"},
            {"encryption", "Free To Air"},
            {"hd", id % 2}};
}

}  // namespace

TEST_F(Served, SampleListingsReadBackWhole) {
    const std::int64_t now = realNow();
    importFile(MATCHRAY_SOURCE_DIR "/data/sample/listings.json", now);
    RunningService& s = start(now);

    auto res = s.post(listingsPath, defaultZoneBody);
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("X-Listings-Zone"), "Europe/Sarajevo");
    const CheckedListings l = AnswerChecker::readListings(res->body);
    ASSERT_EQ(l.problem, "");
    ASSERT_EQ(l.matches.size(), 20u);

    std::set<int> ids;
    for (const CheckedMatch& m : l.matches) {
        ids.insert(m.id);
        EXPECT_TRUE(isKickoffWording(m.kickoff)) << m.kickoff;
        EXPECT_TRUE(std::filesystem::exists(flagsDir + m.country1 + ".png")) << m.country1;
        EXPECT_TRUE(std::filesystem::exists(flagsDir + m.country2 + ".png")) << m.country2;
        auto picture = s.get("/fix/" + m.picture);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->status, 200) << m.picture;
        EXPECT_EQ(picture->body.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
        EXPECT_EQ(picture->get_header_value("Content-Type"), "image/png");
    }
    // Every filter position and at least one other carries some match.
    std::set<std::string> keys;
    for (const CheckedSatellite& sat : l.satellites) {
        EXPECT_EQ(ids.count(sat.matchId), 1u);
        keys.insert(sat.position + sat.direction);
    }
    for (const char* key : {"1.0w", "13.0e", "16.0e", "19.2e", "28.2e"})
        EXPECT_EQ(keys.count(key), 1u) << key;

    // HD and free-to-air channels are among them, and every match has its channels.
    bool hd = false, freeToAir = false;
    for (int id : ids) {
        auto ch = s.post(channelsPath, "id=" + std::to_string(id) + "&f=0&m=00:00:00:00:00:00");
        ASSERT_TRUE(ch);
        const CheckedChannels c = AnswerChecker::readChannels(ch->body);
        ASSERT_EQ(c.problem, "") << id;
        EXPECT_FALSE(c.channels.empty()) << id;
        for (const CheckedChannel& channel : c.channels) {
            hd = hd || channel.hd == 1;
            freeToAir = freeToAir || channel.encryption.find("FTA") != std::string::npos ||
                        channel.encryption == "Free To Air";
        }
    }
    EXPECT_TRUE(hd);
    EXPECT_TRUE(freeToAir);
}

TEST_F(Served, EdgeDataReadsBackWhole) {
    std::string fullTitle = "\xc3\x96sterreich - ";  // "Österreich - " then two-byte letters
    while (fullTitle.size() + 2 <= 199) fullTitle += "\xc3\xa9";
    fullTitle += "x";
    ASSERT_EQ(fullTitle.size(), 199u);
    const std::string blanks = "  Blanks  inside and around  ";
    json doc = {{"channels",
                 {channel(1, "19.2e", std::string(99, 'N')),
                  channel(2, "180.0w",
                          "\xc4\x8c"
                          "esk\xc3\xa1 Arena"),
                  channel(3, "13e", blanks)}},
                {"matches",
                 {{{"id", 1},
                   {"title", fullTitle},
                   {"country1", std::string(19, 'a')},
                   {"picture", std::string(15, 'p') + ".png"},
                   {"country2", "england"},
                   {"kickoff", "2025-06-14T19:00:00Z"},
                   {"channels", {1, 2, 3}}},
                  {{"id", -5},
                   {"title", blanks},
                   {"country1", "de"},
                   {"picture", "x"},
                   {"country2", "fr"},
                   {"kickoff", "2025-06-14T20:00:00Z"},
                   {"channels", json::array()}},
                  {{"id", 2147483647},
                   {"title", "Last"},
                   {"country1", "de"},
                   {"picture", "x"},
                   {"country2", "fr"},
                   {"kickoff", "2025-06-14T21:00:00Z"},
                   {"channels", {3}}}}}};
    importJson(doc, june14);
    RunningService& s = start(june14 + 12 * 3600);

    auto res = s.post(listingsPath, defaultZoneBody);
    ASSERT_TRUE(res);
    const CheckedListings l = AnswerChecker::readListings(res->body);
    ASSERT_EQ(l.problem, "");
    ASSERT_EQ(l.matches.size(), 3u);
    EXPECT_EQ(l.matches[0].title, fullTitle);
    EXPECT_EQ(l.matches[0].country1, std::string(19, 'a'));
    EXPECT_EQ(l.matches[0].picture, std::string(15, 'p') + ".png");
    EXPECT_EQ(l.matches[0].kickoff, "Sat 21:00");
    EXPECT_EQ(l.matches[1].id, -5);
    EXPECT_EQ(l.matches[1].title, blanks);  // no satellites: listed, never shown
    EXPECT_EQ(l.matches[2].id, 2147483647);
    ASSERT_EQ(l.satellites.size(), 4u);
    EXPECT_EQ(l.satellites[0].matchId, 1);
    EXPECT_EQ(l.satellites[0].position + l.satellites[0].direction, "13.0e");
    EXPECT_EQ(l.satellites[2].position + l.satellites[2].direction, "180.0w");
    EXPECT_EQ(l.satellites[3].matchId, 2147483647);

    auto ch = s.post(channelsPath, "id=1&f=0&m=00:00:00:00:00:00");
    ASSERT_TRUE(ch);
    const CheckedChannels c = AnswerChecker::readChannels(ch->body);
    ASSERT_EQ(c.problem, "");
    ASSERT_EQ(c.channels.size(), 3u);
    EXPECT_EQ(c.channels[0].name, std::string(99, 'N'));
    EXPECT_EQ(c.channels[1].name,
              "\xc4\x8c"
              "esk\xc3\xa1 Arena");
    EXPECT_EQ(c.channels[1].position, "180.0");
    EXPECT_EQ(c.channels[2].name, blanks);
    EXPECT_EQ(c.channels[2].idA, 1);
    EXPECT_EQ(c.channels[2].idB, 3);
    EXPECT_EQ(c.channels[2].symbolRate, 22000);
    EXPECT_EQ(c.channels[2].hd, 1);
    EXPECT_EQ(c.channels[0].hd, 1);
    EXPECT_EQ(c.channels[1].hd, 0);
}

TEST_F(Served, ChannelAnswersFollowTheColourKeyFilters) {
    json doc = {{"channels",
                 {channel(1, "1.0w"), channel(2, "13.0e"), channel(3, "16.0e"), channel(4, "19.2e"),
                  channel(5, "28.2e")}},
                {"matches",
                 {{{"id", 9},
                   {"title", "A - B"},
                   {"country1", "de"},
                   {"picture", "x.png"},
                   {"country2", "fr"},
                   {"kickoff", "2025-06-14T19:00:00Z"},
                   {"channels", {5, 4, 3, 2, 1}}}}}};
    importJson(doc, june14);
    RunningService& s = start(june14);

    auto channelIds = [&](const std::string& body) {
        auto res = s.post(channelsPath, body);
        EXPECT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        const CheckedChannels c = AnswerChecker::readChannels(res->body);
        EXPECT_EQ(c.problem, "");
        std::vector<int> ids;
        for (const auto& ch : c.channels) ids.push_back(ch.idB);
        return ids;
    };
    EXPECT_EQ(channelIds("id=9&f=0&m=00:00:00:00:00:00"), (std::vector<int>{5, 4, 3, 2, 1}));
    EXPECT_EQ(channelIds("id=9&f=1&m=00:00:00:00:00:00"), (std::vector<int>{4, 3, 2, 1}));
    EXPECT_EQ(channelIds("id=9&f=2&m=00:00:00:00:00:00"), (std::vector<int>{4, 3, 2}));
    EXPECT_EQ(channelIds("id=9&f=3&m=00:00:00:00:00:00"), (std::vector<int>{4, 2}));
    EXPECT_EQ(channelIds("id=9&f=7&m=00:00:00:00:00:00"), (std::vector<int>{5, 4, 3, 2, 1}));
    EXPECT_EQ(channelIds("id=9&f=-1&m=00:00:00:00:00:00"), (std::vector<int>{5, 4, 3, 2, 1}));

    auto unknown = s.post(channelsPath, "id=10&f=0&m=00:00:00:00:00:00");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 200);
    EXPECT_EQ(unknown->body, "0\n");
}

TEST_F(Served, ListsWhatKicksOffFromTwoAndAHalfHoursAgoToAWeekAhead) {
    json matches = json::array();
    const char* kickoffs[] = {"2025-06-14T09:29:00Z", "2025-06-14T09:30:00Z",
                              "2025-06-21T11:59:00Z", "2025-06-21T12:00:00Z"};
    for (int i = 0; i < 4; ++i) {
        matches.push_back({{"id", i},
                           {"title", "T"},
                           {"country1", "de"},
                           {"picture", "p"},
                           {"country2", "fr"},
                           {"kickoff", kickoffs[i]},
                           {"channels", json::array()}});
    }
    importJson({{"matches", matches}}, june14);
    RunningService& s = start(june14 + 12 * 3600);
    auto res = s.post(listingsPath, "z=(GMT) Nowhere&m=00:00:00:00:00:00");
    ASSERT_TRUE(res);
    const CheckedListings l = AnswerChecker::readListings(res->body);
    ASSERT_EQ(l.problem, "");
    ASSERT_EQ(l.matches.size(), 2u);
    EXPECT_EQ(l.matches[0].id, 1);
    EXPECT_EQ(l.matches[0].kickoff, "Sat 09:30");
    EXPECT_EQ(l.matches[1].id, 2);
    EXPECT_EQ(l.matches[1].kickoff, "Sat 11:59");
}

TEST_F(Served, BadRequestsGetTheirStatusAndServingGoesOn) {
    importJson({{"matches", json::array()}}, june14);
    RunningService& s = start(june14);
    const std::string big(HttpService::maxBodyBytes + 1, 'a');
    const std::string exact =
        "z=" + std::string(HttpService::maxBodyBytes - 22, 'x') + "&m=00:00:00:00:00:00";
    ASSERT_EQ(exact.size(), HttpService::maxBodyBytes);

    struct Case {
        const char* method;
        std::string path, body;
        int status;
    };
    const std::vector<Case> cases = {
        {"POST", listingsPath, "", 400},
        {"POST", listingsPath, "z=Berlin", 400},
        {"POST", listingsPath, "z=Berlin&m=00:00:00:00:00:0", 400},
        {"POST", channelsPath, "", 400},
        {"POST", channelsPath, "id=abc&f=0&m=00:00:00:00:00:00", 400},
        {"POST", channelsPath, defaultZoneBody, 400},
        {"POST", listingsPath, big, 413},
        {"POST", channelsPath, big, 413},
        {"POST", listingsPath, exact, 200},
        {"POST", "/pitchsidenew/other.php", defaultZoneBody, 404},
        {"GET", listingsPath, "", 404},
        {"GET", "/", "", 404},
        {"GET", "/fix/", "", 404},
        {"GET", "/fix/missing.png", "", 404},
        {"GET", "/fix/..%2Flistings.db", "", 404},
        {"GET", "/fix/a%0Ab", "", 404},
    };
    for (const Case& c : cases) {
        auto res = std::string(c.method) == "GET" ? s.get(c.path) : s.post(c.path, c.body);
        ASSERT_TRUE(res) << c.path;
        EXPECT_EQ(res->status, c.status)
            << c.method << " " << c.path << " " << c.body.substr(0, 40);
        auto ok = s.post(listingsPath, defaultZoneBody);
        ASSERT_TRUE(ok);
        EXPECT_EQ(ok->status, 200);
        EXPECT_EQ(ok->body, "0\n0\n");
    }
}

TEST_F(Served, EveryRequestIsLoggedWithTheDeviceIdentity) {
    importJson({{"matches", json::array()}}, june14);
    RunningService& s = start(june14);
    s.post(listingsPath, "z=(GMT-05:00) Eastern Time (US & Canada)&m=00:1a:2b:3c:4d:5e");
    s.post(channelsPath, "id=3&f=1&m=66:77:88:99:aa:bb");
    s.post(channelsPath, "id=x&f=1&m=de:ad:be:ef:00:01");
    s.get("/fix/none.png");

    // A line is logged once its answer is sent, so it may come a moment after the answer.
    std::vector<std::string> log = s.log();
    for (int i = 0; i < 500 && log.size() < 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        log = s.log();
    }
    ASSERT_EQ(log.size(), 4u);
    auto lineWith = [&](const std::string& part) {
        for (const std::string& line : log) {
            if (line.find(part) != std::string::npos) return line;
        }
        return std::string("no line with " + part);
    };
    const std::string listings = lineWith("POST \"" + listingsPath + "\" 200 ");
    EXPECT_NE(listings.find("device=00:1a:2b:3c:4d:5e"), std::string::npos) << listings;
    EXPECT_NE(listings.find("zone=America/New_York"), std::string::npos) << listings;
    EXPECT_NE(listings.find("agent=\"PS\""), std::string::npos) << listings;
    EXPECT_NE(lineWith("device=66:77:88:99:aa:bb").find("\" 200 "), std::string::npos);
    EXPECT_NE(lineWith("device=de:ad:be:ef:00:01").find("\" 400 "), std::string::npos);
    EXPECT_NE(lineWith("GET \"/fix/none.png\" 404 ").find("device=-"), std::string::npos);
}

TEST_F(Served, PicturesComeFromTheDatabaseThenFromThePicturesDirectory) {
    TempDir pictures;
    pictures.write("dir.png", "from the directory");
    pictures.write("both.png", "directory copy");
    std::filesystem::create_directory(pictures.file("sub.png"));
    dir.write("both.png", std::string("\x89PNG\r\n\x1a\n", 8) + "database copy");
    importJson({{"pictures", {{{"name", "both.png"}, {"file", "both.png"}}}}}, june14);
    RunningService& s = start(june14, pictures.path());

    auto both = s.get("/fix/both.png");
    ASSERT_TRUE(both);
    EXPECT_EQ(both->body.substr(8), "database copy");
    auto fromDir = s.get("/fix/dir.png");
    ASSERT_TRUE(fromDir);
    EXPECT_EQ(fromDir->status, 200);
    EXPECT_EQ(fromDir->body, "from the directory");
    auto folder = s.get("/fix/sub.png");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->status, 404);
}

TEST_F(Served, KeptOpenConnectionsGetEachAnswerWholeAtOnce) {
    const std::int64_t now = realNow();
    importFile(MATCHRAY_SOURCE_DIR "/data/sample/listings.json", now);
    RunningService& s = start(now);
    const std::string body = defaultZoneBody;
    const std::string requests[] = {
        "GET /fix/cup.png HTTP/1.1\r\nHost: h\r\n\r\n",
        "POST " + listingsPath + " HTTP/1.1\r\nHost: h\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\n\r\n" + body,
    };
    // A header and body written apart would wait for the receiver's delayed acknowledgement.
    RunningService::Raw connection(s.port());
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(connection.send(requests[i % 2]));
        const std::string answer = connection.readOnce(10000);
        EXPECT_EQ(statusesIn(answer), std::vector<int>{200}) << i;
        EXPECT_TRUE(isWholeAnswer(answer)) << i << ": " << answer.size() << " bytes";
    }
}

TEST_F(Served, RequestsOnOneConnectionAreAnsweredInTurnUntilItCloses) {
    importJson({{"matches", json::array()}}, june14);
    RunningService& s = start(june14);
    const std::string get = "GET /fix/none.png HTTP/1.1\r\nHost: h\r\n";
    const std::string post = "POST " + listingsPath + " HTTP/1.1\r\nContent-Length: " +
                             std::to_string(defaultZoneBody.size()) + "\r\n";
    struct Case {
        std::string bytes;
        std::vector<int> statuses;  // of the answers before the service closes
    };
    const std::vector<Case> cases = {
        {post + "\r\n" + defaultZoneBody + get + "\r\n" + get + "Connection: close\r\n\r\n",
         {200, 404, 404}},
        {"GET /fix/none.png HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"
         "GET /fix/none.png HTTP/1.0\r\n\r\n",
         {404, 404}},
        {"HEAD /fix/none.png HTTP/1.1\r\nConnection: close\r\n\r\n", {404}},
        {"POST " + listingsPath + " HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
         {411}},
        {"POST " + listingsPath + " HTTP/1.1\r\nContent-Length: 5000\r\n\r\n", {413}},
        {"GET /fix/none.png HTTP/1.1\r\nX: " + std::string(9000, 'x') + "\r\n\r\n", {431}},
        {get + "X: " + std::string(9000, 'x'), {431}},
        {"hello\r\n\r\n", {400}},
        {"GET / HTTP/2.0\r\n\r\n", {400}},
        {post + "Content-Length: 3\r\n\r\n" + defaultZoneBody, {400}},
    };
    for (const Case& c : cases) {
        RunningService::Raw connection(s.port());
        ASSERT_TRUE(connection.send(c.bytes));
        const std::string stream = connection.readUntilClosed(10000);
        EXPECT_TRUE(connection.closed()) << c.bytes.substr(0, 60);
        EXPECT_EQ(statusesIn(stream), c.statuses) << c.bytes.substr(0, 60);
    }
}

TEST_F(Served, AnswersComeFromMemoryForAMinuteAndAnImportFromAnotherProcessDropsThem) {
    const auto document = [](const std::string& word) {
        const json match = {{"title", word},
                            {"country1", "de"},
                            {"picture", "p.png"},
                            {"country2", "fr"},
                            {"channels", {1}}};
        json early = match, late = match;
        early.update({{"id", 1}, {"title", "Early"}, {"kickoff", "2025-06-14T09:00:00Z"}});
        late.update({{"id", 2}, {"kickoff", "2025-06-14T20:00:00Z"}});
        return json{{"channels", {channel(1, "19.2e", word)}},
                    {"pictures", {{{"name", "p.png"}, {"file", word + ".png"}}}},
                    {"matches", {early, late}}};
    };
    for (const std::string word : {"Before", "After"})
        dir.write(word + ".png", std::string("\x89PNG\r\n\x1a\n", 8) + word);
    importJson(document("Before"), june14);
    // The early match is 30 seconds from dropping out of the window.
    RunningService& s = start(june14 + 9 * 3600 + listedBefore - 30);
    const auto listings = [&] {
        auto res = s.post(listingsPath, defaultZoneBody);
        return res ? res->body : "no answer";
    };
    const auto channels = [&] {
        auto res = s.post(channelsPath, "id=2&f=0&m=00:00:00:00:00:00");
        return res ? res->body : "no answer";
    };
    const auto picture = [&] {
        auto res = s.get("/fix/p.png");
        return res ? res->body.substr(8) : "no answer";
    };
    const std::string first = listings();
    ASSERT_NE(first.find("#Early#"), std::string::npos) << first;
    clock += 40;
    EXPECT_EQ(listings(), first);
    clock += 30;
    EXPECT_EQ(listings().find("#Early#"), std::string::npos);
    EXPECT_NE(channels().find("#Before#"), std::string::npos);
    EXPECT_EQ(picture(), "Before");

    dir.write("after.json", document("After").dump());
    const ProcessResult import = runProcess({MATCHRAY_BIN_DIR "/listings-server", "import", "--db",
                                             dir.file("listings.db"), dir.file("after.json")});
    ASSERT_EQ(import.exitCode, 0) << import.err;
    EXPECT_NE(listings().find("#After#"), std::string::npos);
    EXPECT_NE(channels().find("#After#"), std::string::npos);
    EXPECT_EQ(picture(), "After");
}

TEST_F(Served, SlowSilentAndIdleClientsAreCutWhileOthersAreServed) {
    importJson({{"matches", json::array()}}, june14);
    requestDeadlineMs = 1000;
    idleLimitMs = 500;
    RunningService& s = start(june14);
    const std::string request =
        "POST " + listingsPath +
        " HTTP/1.1\r\nHost: h\r\nContent-Length: " + std::to_string(defaultZoneBody.size()) +
        "\r\n\r\n" + defaultZoneBody;
    struct Group {
        const char* name;
        std::size_t sentAtOnce;  // then one byte each step, up to the whole request
        int firstStatus;         // of what the service answers, 0 for nothing
        int closedAfterMs;       // not before
    };
    const std::size_t header = request.find("\r\n\r\n") + 4;
    const Group groups[] = {
        {"silent", 0, 0, 500},
        {"idle after an answer", request.size(), 200, 500},
        {"header dripping", 1, 408, 1000},
        {"body dripping", header, 408, 1000},
    };
    constexpr int perGroup = 12;
    struct Client {
        const Group* group;
        std::unique_ptr<RunningService::Raw> connection;
        std::size_t sent = 0;
        std::string received;
        double closedAtMs = -1;
    };
    std::vector<Client> clients;
    const auto start = std::chrono::steady_clock::now();
    for (const Group& g : groups) {
        for (int i = 0; i < perGroup; ++i) {
            Client c{&g, std::make_unique<RunningService::Raw>(s.port()), g.sentAtOnce, "", -1};
            if (c.sent > 0) {
                ASSERT_TRUE(c.connection->send(request.substr(0, c.sent)));
            }
            clients.push_back(std::move(c));
        }
    }
    const auto elapsedMs = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    int normalAnswers = 0;
    for (int step = 0; step < 80; ++step) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::size_t open = 0;
        for (Client& c : clients) {
            if (c.connection->closed()) continue;
            if (c.group->firstStatus == 408 && c.received.empty() && c.sent < request.size()) {
                c.connection->send(request.substr(c.sent++, 1));
            }
            c.received += c.connection->readOnce(0);
            if (c.connection->closed()) {
                c.closedAtMs = elapsedMs();
            } else {
                ++open;
            }
        }
        if (step % 4 == 0) {
            auto normal = s.post(listingsPath, defaultZoneBody);
            ASSERT_TRUE(normal) << "no answer at step " << step << " with " << open << " held";
            EXPECT_EQ(normal->status, 200);
            ++normalAnswers;
        }
        if (open == 0) break;
    }
    EXPECT_GE(normalAnswers, 2);
    for (const Client& c : clients) {
        EXPECT_TRUE(c.connection->closed()) << c.group->name;
        EXPECT_GE(c.closedAtMs, c.group->closedAfterMs) << c.group->name;
        const std::vector<int> statuses = statusesIn(c.received);
        EXPECT_EQ(statuses.empty() ? 0 : statuses[0], c.group->firstStatus) << c.group->name;
        if (c.group->firstStatus == 408) {
            EXPECT_LT(c.sent, request.size()) << c.group->name;
        }
    }
}
