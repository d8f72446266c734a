// The listings service on loopback: answers, refusals, the picture folder, memory, the log,
// data swapped in, connections, slow clients.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <deque>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "Importer.h"
#include "ProcessRun.h"
#include "RunningService.h"
#include "Snapshot.h"
#include "TempRoot.h"

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

const std::string zoneBody = "z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=00:00:00:00:00:00";
const std::string listingsRequest =
    "POST " + listingsPath +
    " HTTP/1.1\r\nHost: a\r\nContent-Length: " + std::to_string(zoneBody.size()) + "\r\n\r\n" +
    zoneBody;
const std::string png = std::string("\x89PNG\r\n\x1a\n", 8);
constexpr std::int64_t noon = 1749902400;  // 2025-06-14 12:00 UTC, a Saturday

// The status codes of the answers in a stream of bytes, in order.
std::string statusesIn(const std::string& stream) {
    return std::regex_replace(stream, std::regex("HTTP/1\\.1 (\\d{3})"), " $1",
                              std::regex_constants::format_no_copy);
}

class Served : public testing::Test {
protected:
    std::string db() const { return root.real("/listings.db"); }
    void import(const std::string& text, const std::string& dir = "", std::int64_t at = noon,
                const std::string& file = "") {
        Database database(file.empty() ? db() : file, Database::Mode::create);
        const auto r = Importer(database, at).importText(text, dir.empty() ? root.path() : dir);
        ASSERT_TRUE(r.ok()) << r.error;
    }
    RunningService& start(const std::string& picturesDir = "") {
        std::function<std::int64_t()> now = [this] { return clock.load(); };
        const ListingsService::Options options{
            db(), "127.0.0.1",       0,           picturesDir,
            4,    requestDeadlineMs, idleLimitMs, realClock ? nullptr : now,
            {}};
        service = std::make_unique<RunningService>(options);
        return *service;
    }
    // The answer to one request, a PNG signature shown as "<PNG>", the values that change with
    // the time or the bytes as "<...>".
    std::string ask(const std::string& method, const std::string& path,
                    const std::string& body = "") {
        std::string answer = exchange(service->port(), method, path, body);
        if (const std::size_t at = answer.find(png); at != std::string::npos)
            answer.replace(at, png.size(), "<PNG>");
        return std::regex_replace(answer, std::regex("(\n(Date|ETag|Last-Modified): )[^\n]*"),
                                  "$1<...>");
    }

    TempRoot root;
    std::atomic<std::int64_t> clock{noon};
    bool realClock = false;
    int requestDeadlineMs = 10000, idleLimitMs = 5000;
    std::unique_ptr<RunningService> service;
};

// A case of conformance.txt: its name, the answers and what then becomes of the connection, the
// refusals the log names, the bytes in the parts sent one after another's answer.
struct RawCase {
    std::string name, expected, reasons;
    std::vector<std::string> parts{""};
};
void PrintTo(const RawCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<RawCase> rawCases() {
    std::vector<RawCase> cases;
    std::istringstream lines(readBinary(MATCHRAY_SOURCE_DIR "/tests/server/conformance.txt"));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        RawCase c;
        std::istringstream words(line);
        words >> c.name;
        std::string word;
        while (words >> word && word != "open" && word != "closed") c.expected += word + " ";
        c.expected += word;
        words >> c.reasons;
        std::getline(words, line);
        for (std::size_t i = 1; i < line.size(); ++i) {
            std::string& bytes = c.parts.back();
            if (line[i] != '\\') {
                bytes += line[i];
            } else if (line[++i] == 'x') {
                bytes += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else if (line[i] == '[') {
                const std::size_t end = line.find(']', i);
                bytes.append(std::stoul(line.substr(i + 1, end - i - 1)), line[end + 1]);
                i = end + 1;
            } else if (line[i] == 'w') {
                c.parts.emplace_back();
            } else {
                bytes += std::string("\r\n\t\0\\", 5)[std::string("rnt0\\").find(line[i])];
            }
        }
        cases.push_back(c);
    }
    return cases;
}

}  // namespace

// An answer as a case names it: its status, then "+FIELD" for each field the case asks
// after that it has, "+empty" when nothing follows its header; "+undated" when it lacks a Date.
std::string described(const std::string& answer, const std::string& asked) {
    std::string text = answer.substr(9, 3);
    const std::string head = answer.substr(0, answer.find("\r\n\r\n") + 2);
    if (text != "100" &&
        !std::regex_search(head, std::regex("\r\nDate: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), \\d\\d "
                                            "[A-Z][a-z]{2} \\d{4} \\d\\d:\\d\\d:\\d\\d GMT\r\n")))
        text += "+undated";
    std::istringstream fields(asked.substr(std::min<std::size_t>(asked.size(), 4)));
    for (std::string field; std::getline(fields, field, '+');) {
        if (field == "empty" ? answer.size() == head.size() + 2
                             : head.find("\r\n" + field + ": ") != std::string::npos)
            text += "+" + field;
    }
    return text;
}

class Conformance : public Served, public testing::WithParamInterface<RawCase> {};

// The answers to a case's bytes, then "open" when a further request is answered too, and the
// refusals named in the log.
TEST_P(Conformance, RawRequestIsAnsweredAsTheCaseFileSays) {
    root.writeFile("/p.png", png + "picture");
    import(R"({"matches": [], "pictures": [{"name": "p.png", "file": "p.png"}]})");
    root.writeFile("/pictures/f.png", png + "file");
    const utimbuf modified{noon, noon};  // Sat, 14 Jun 2025 12:00:00 GMT
    ASSERT_EQ(utime(root.real("/pictures/f.png").c_str(), &modified), 0);
    requestDeadlineMs = 1000;
    RunningService& s = start(root.real("/pictures"));
    RunningService::Raw connection(s.port());
    std::istringstream words(GetParam().expected);
    const std::vector<std::string> asked{std::istream_iterator<std::string>(words), {}};
    std::string received;
    for (const std::string& part : GetParam().parts) {
        // What comes after the first part waits for an answer, but not until the deadline.
        for (int i = 0; i < 10 && &part != &GetParam().parts[0] && statusesIn(received).empty();
             ++i)
            received += connection.readOnce(50);
        connection.send(part);
    }
    for (int i = 0;
         i < 60 && !connection.closed() && statusesIn(received).size() < 4 * (asked.size() - 1);
         ++i)
        received += connection.readOnce(50);
    connection.send("GET / HTTP/3.0\r\n\r\n");  // 505, while the connection is open
    const std::vector<std::string> answers = [&] {
        std::vector<std::string> all;
        const std::string stream = received + connection.readUntilClosed(3000);
        for (std::size_t at = stream.find("HTTP/1.1 "); at != std::string::npos;) {
            const std::size_t next = stream.find("HTTP/1.1 ", at + 1);
            all.push_back(stream.substr(at, next - at));
            at = next;
        }
        return all;
    }();
    std::string seen;
    for (std::size_t i = 0; i + 1 < asked.size() && i < answers.size(); ++i)
        seen += described(answers[i], asked[i]) + " ";
    const bool open = answers.size() == asked.size() && answers.back().substr(9, 3) == "505";
    EXPECT_EQ(seen + (open ? "open" : "closed"), GetParam().expected);
    std::string reasons;
    const std::vector<std::string> log = s.log();
    for (std::size_t i = 0; i + open < log.size(); ++i) {  // but the further request's
        std::smatch refused;
        if (std::regex_search(log[i], refused, std::regex(" refused=(\\w+)")))
            reasons += (reasons.empty() ? "" : ",") + refused[1].str();
    }
    EXPECT_EQ(reasons.empty() ? "-" : reasons, GetParam().reasons);
}
INSTANTIATE_TEST_SUITE_P(Cases, Conformance, testing::ValuesIn(rawCases()),
                         [](const auto& info) { return info.param.name; });

// Good and refused requests of every kind on the sample and edge records; the log names devices.
TEST_F(Served, RequestTableAnswersAsTheSnapshotShows) {
    import(readBinary(sample), MATCHRAY_SOURCE_DIR "/data/sample");
    root.writeFile("/both.png", png + "database copy");
    import(readBinary(MATCHRAY_SOURCE_DIR "/tests/server/edge-listings.json"));
    root.writeFile("/pictures/dir.png", png + "from the folder");
    root.writeFile("/pictures/both.png", png + "folder copy");
    fs::create_directory(root.real("/pictures/sub.png"));
    RunningService& s = start(root.real("/pictures"));

    std::vector<std::vector<std::string>> table;
    std::istringstream lines(readBinary(MATCHRAY_SOURCE_DIR "/tests/server/requests.txt"));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t path = line.find(' ') + 1, body = line.find(' ', path) + 1;
        if (line[0] != '#')
            table.push_back(
                {line.substr(0, path - 1), line.substr(path, body - path - 1), line.substr(body)});
    }
    std::string text;
    for (auto& r : table) {
        std::string answer = ask(r[0], r[1], r[2]);
        // The first answer in full, the others in their first 13 lines.
        std::size_t end = &r == &table[0] ? std::string::npos : 0;
        for (int line = 0; line < 13 && end != std::string::npos; ++line)
            end = answer.find('\n', end + 1);
        text += "\n" + r[0] + " " + r[1] + " " + r[2].substr(0, 60) + "\n" + answer.substr(0, end);
    }
    // A line is logged once its answer is sent, so it may come a moment later.
    std::vector<std::string> log;
    for (int i = 0; i < 500 && (log = s.log()).size() < table.size(); ++i) usleep(10000);
    for (std::string& line : log) line.erase(0, line.find(' ', line.find(' ') + 1));
    std::sort(log.begin(), log.end());
    text += "\nlog:\n";
    for (const std::string& line : log) text += line + "\n";
    expectSnapshot("server-requests", text);
}

// Every sample match names flags the receiver has (Debian's) and a picture the sample brings.
TEST(SampleData, NamesOnlyFlagsAndPicturesThereAre) {
    const json data = json::parse(readBinary(sample));
    std::set<std::string> pictures;
    for (const json& p : data["pictures"]) pictures.insert(p["name"].get<std::string>());
    for (const json& m : data["matches"]) {
        for (const std::string country : {m["country1"], m["country2"]})
            EXPECT_TRUE(fs::exists("/usr/share/flags/countries/16x11/" + country + ".png"));
        EXPECT_EQ(pictures.count(m["picture"].get<std::string>()), 1u) << m["picture"];
    }
}

// Answers come from memory for a minute (no longer: the window moves on), and an import
// from another process drops them all.
TEST_F(Served, MemoryHoldsAnAnswerOnlyWhileItIsCurrent) {
    const std::string text = readBinary(MATCHRAY_SOURCE_DIR "/tests/server/memory-listings.json");
    for (const char* word : {"Old", "New"})
        root.writeFile("/" + std::string(word) + ".png", png + word);
    import(std::regex_replace(text, std::regex("WORD"), "Old"));
    clock = noon - 3 * 3600 + ListingsService::listedBeforeSeconds - 30;  // Early leaves in 30 s
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

    root.writeFile("/new.json", std::regex_replace(text, std::regex("WORD"), "New"));
    const ProcessResult import = runProcess(
        {MATCHRAY_BIN_DIR "/listings-server", "import", "--db", db(), root.real("/new.json")});
    ASSERT_EQ(import.exitCode, 0) << import.err;
    // Seen by the service's watch on the database within a period of it (a busy machine waits).
    const std::string renewed = std::regex_replace(later, std::regex("Old"), "New");
    std::string seen = all();
    for (int i = 0; i < 200 && seen != renewed; ++i) seen = (usleep(10000), all());
    EXPECT_EQ(seen, renewed);  // every kind of answer
}

// Silent, idle and dripping clients are cut at the idle limit or the request deadline
// while others are served meanwhile.
TEST_F(Served, SlowClientsAreCutWhileOthersAreServed) {
    import(R"({"matches": []})");
    requestDeadlineMs = 1000;
    idleLimitMs = 500;
    RunningService& s = start();
    const std::size_t whole = listingsRequest.size(), header = whole - zoneBody.size();
    // Silent, idle after an answer, dripping the header, dripping the body (a byte a step until
    // an answer comes): the bytes sent at once, the first status, closed not before (ms).
    const std::tuple<std::size_t, std::string, double> groups[] = {
        {0, "", 500}, {whole, " 200", 500}, {1, " 408", 1000}, {header, " 408", 1000}};
    std::deque<RunningService::Raw> clients;
    std::vector<std::size_t> sent;
    std::vector<std::string> received(48);
    std::vector<double> closedAtMs(48);
    const auto begin = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < 48; ++i) {
        sent.push_back(std::get<0>(groups[i % 4]));
        clients.emplace_back(s.port()).send(listingsRequest.substr(0, sent.back()));
    }
    int served = 0;
    for (int step = 0; step < 80; ++step) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::size_t open = 0;
        for (std::size_t i = 0; i < 48; ++i) {
            if (clients[i].closed()) continue;
            if (received[i].empty() && sent[i] > 0 && sent[i] < whole)
                clients[i].send(listingsRequest.substr(sent[i]++, 1));
            received[i] += clients[i].readOnce(0);
            const std::chrono::duration<double, std::milli> elapsed =
                std::chrono::steady_clock::now() - begin;
            closedAtMs[i] = elapsed.count();
            open += !clients[i].closed();
        }
        served +=
            step % 4 == 0 && ask("POST", listingsPath, zoneBody).rfind("HTTP/1.1 200 ", 0) == 0;
        if (open == 0) break;
    }
    EXPECT_GE(served, 2);
    for (std::size_t i = 0; i < 48; ++i) {
        const auto& [first, status, closedAfterMs] = groups[i % 4];
        EXPECT_TRUE(clients[i].closed()) << first;
        EXPECT_GE(closedAtMs[i], closedAfterMs) << first;
        EXPECT_EQ(statusesIn(received[i]).substr(0, 4), status) << first;
    }
}

// Every kind of entry but a regular .png file in the folder gets 404 at once, and nothing of
// what it leads to is sent.
TEST_F(Served, PictureFolderServesOnlyItsOwnRegularPngFiles) {
    import(R"({"matches": []})");
    root.writeFile("/outside/secret.png", png + "SECRET");
    root.writeFile("/pictures/inside.png", png + "inside");
    root.writeFile("/pictures/notes.txt", png + "SECRET");
    root.writeFile("/pictures/html.png", "SECRET <html>");
    const std::string folder = root.real("/pictures/");
    ASSERT_EQ(symlink("inside.png", (folder + "relative.png").c_str()), 0);
    ASSERT_EQ(symlink((folder + "inside.png").c_str(), (folder + "absolute.png").c_str()), 0);
    ASSERT_EQ(symlink("../outside/secret.png", (folder + "parent.png").c_str()), 0);
    ASSERT_EQ(symlink(root.real("/outside/secret.png").c_str(), (folder + "out.png").c_str()), 0);
    ASSERT_EQ(mkfifo((folder + "fifo.png").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((folder + "folder.png").c_str(), 0700), 0);
    fs::copy_file(db(), folder + "listings.db");
    fs::copy_file(db(), folder + "copy.png");
    start(folder);
    EXPECT_NE(ask("GET", "/fix/inside.png").find("200 OK"), std::string::npos);
    for (const char* name : {"relative.png", "absolute.png", "parent.png", "out.png", "fifo.png",
                             "folder.png", "notes.txt", "html.png", "listings.db", "copy.png"}) {
        const std::string answer = ask("GET", "/fix/" + std::string(name));
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 404") << name;
        EXPECT_FALSE(std::regex_search(answer, std::regex("SECRET|SQLite"))) << name;
    }
}

// 20,000 requests for pictures that aren't there leave the listings answer in memory: the log
// says that the next one came from there.
TEST_F(Served, MissingPicturesLeaveTheListingsInMemory) {
    import(R"({"matches": []})");
    RunningService& s = start();
    ask("POST", listingsPath, zoneBody);
    for (int c = 0; c < 20; ++c) {
        std::string asks;
        for (int i = 0; i < 1000; ++i)
            asks += "GET /fix/m" + std::to_string(c * 1000 + i) + ".png HTTP/1.1\r\nHost: a\r\n" +
                    (i == 999 ? "Connection: close\r\n\r\n" : "\r\n");
        RunningService::Raw connection(s.port());
        connection.send(asks);
        EXPECT_EQ(statusesIn(connection.readUntilClosed(10000)).size(), 4000u);
    }
    ask("POST", listingsPath, zoneBody);
    EXPECT_NE(s.log().back().find(" zone=Europe/Sarajevo from=memory"), std::string::npos);
}

// Whatever bytes a client puts in the path (as %XX), the User-Agent and the body, each log line
// stays one line of printable ASCII with its fields in place, and gives back what was sent.
TEST_F(Served, LogEscapesEveryByteAClientSends) {
    import(R"({"matches": []})");
    RunningService& s = start();
    const auto unescaped = [](std::string text) {
        for (std::size_t at = text.find("\\x"); at != std::string::npos;
             at = text.find("\\x", at + 1))
            text.replace(at, 4, 1,
                         static_cast<char>(std::stoi(text.substr(at + 2, 2), nullptr, 16)));
        return text;
    };
    const std::regex line(R"re(\S+ 127\.0\.0\.1 POST "((?:[^"\\]|\\x[0-9a-f]{2})*)" 405 \d+ )re"
                          R"re(device=[!-~]+ agent="((?:[^"\\]|\\x[0-9a-f]{2})*)" refused=\w+)re");
    for (int first = 0; first < 256; first += 20) {
        std::string path = "/fix/", bytes, agent = "x";
        for (int b = first; b < std::min(first + 20, 256); ++b) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            path += hex;
            bytes += static_cast<char>(b);
            if (b == '\t' || (b >= 0x20 && b != 0x7f)) agent += static_cast<char>(b);
        }
        const std::string body = "m=" + bytes;
        agent += "x";
        RunningService::Raw connection(s.port());
        connection.send("POST " + path + " HTTP/1.1\r\nHost: a\r\nUser-Agent: " + agent +
                        "\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body);
        connection.readUntilClosed(10000);
        const std::string logged = s.log().back();
        std::smatch fields;
        ASSERT_TRUE(std::regex_match(logged, fields, line)) << logged;
        EXPECT_EQ(unescaped(fields[1]), "/fix/" + bytes);
        EXPECT_EQ(unescaped(fields[2]), agent);
    }
}

// Under load, the data changes twice: a database imported elsewhere is renamed onto the path
// (and a picture onto its name), then the database is deleted and imported anew by the
// program. Every answer is whole and from one of the three, none is lost, no client goes back
// to older data, and from a second after each change on, the new data is served.
TEST_F(Served, DataSwappedInIsServedWithinASecondUnderLoad) {
    using Clock = std::chrono::steady_clock;
    const std::string words[] = {"Old", "New", "Newer"};
    const std::string text =
        std::regex_replace(readBinary(MATCHRAY_SOURCE_DIR "/tests/server/memory-listings.json"),
                           std::regex("2025-06-14T(\\d\\d):00:00Z"), "today+1 $1:00");
    for (const std::string& word : words) {
        root.writeFile("/" + word + ".png", png + word);
        root.writeFile("/" + word + ".json", std::regex_replace(text, std::regex("WORD"), word));
    }
    const std::int64_t today = std::time(nullptr);
    import(readBinary(root.real("/Old.json")), "", today);
    import(readBinary(root.real("/New.json")), "", today, root.real("/new.db"));
    root.writeFile("/pictures/f.png", png + "Old");
    realClock = true;
    RunningService& s = start(root.real("/pictures"));
    const std::vector<std::vector<std::string>> asks = {
        {"POST", listingsPath, zoneBody},
        {"POST", channelsPath, "id=2&f=0&m=00:00:00:00:00:00"},
        {"GET", "/fix/p.png", ""},
        {"GET", "/fix/f.png", ""}};
    const auto body = [&](std::size_t n) {
        const std::string answer = exchange(s.port(), asks[n][0], asks[n][1], asks[n][2]);
        return answer.substr(std::min(answer.size(), answer.find("\n\r\n") + 3));
    };
    std::vector<std::string> before;
    for (std::size_t n = 0; n < asks.size(); ++n) before.push_back(body(n));
    ASSERT_NE(before[0].find("#Old#"), std::string::npos) << before[0];

    std::atomic<bool> done{false};
    std::vector<std::vector<std::pair<Clock::time_point, int>>> seen(4);  // when asked, which data
    std::vector<std::thread> clients;
    for (std::size_t c = 0; c < seen.size(); ++c)
        clients.emplace_back([&, c] {
            for (std::size_t n = c; !done; ++n) {
                const auto asked = Clock::now();
                const std::string got = body(n % 4);
                int which = -1;
                for (int w = 0; w < 3; ++w)
                    if (got == std::regex_replace(before[n % 4], std::regex("Old"), words[w]))
                        which = w;
                seen[c].emplace_back(asked, which < 0 ? -1 : which * 4 + int(n % 4));
            }
        });
    Clock::time_point changed[3];
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    fs::rename(root.real("/new.db"), db());
    fs::rename(root.real("/New.png"), root.real("/pictures/f.png"));
    changed[1] = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    fs::remove(db());
    const ProcessResult imported = runProcess(
        {MATCHRAY_BIN_DIR "/listings-server", "import", "--db", db(), root.real("/Newer.json")});
    fs::rename(root.real("/Newer.png"), root.real("/pictures/f.png"));
    changed[2] = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    done = true;
    for (std::thread& t : clients) t.join();
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    for (const auto& answers : seen) {
        int newest[4] = {0, 0, 0, 0};
        for (const auto& [asked, which] : answers) {
            ASSERT_GE(which, 0) << "an answer from none of the three, or none";
            const int kind = which % 4, data = which / 4;
            EXPECT_GE(data, newest[kind]) << "older data after newer, kind " << kind;
            newest[kind] = data;
            for (int w = 1; w < 3; ++w)
                EXPECT_FALSE(asked > changed[w] + std::chrono::seconds(1) && data < w)
                    << words[data] << " a second after " << words[w] << ", kind " << kind;
        }
        EXPECT_GT(answers.size(), 40u);
    }
}
