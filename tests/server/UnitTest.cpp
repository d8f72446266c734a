// The server's parts without a network: importer and schema, request bodies, time zones,
// the memory of answers, the log's writer.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "DatabaseError.h"
#include "Importer.h"
#include "KickoffTime.h"
#include "ListingsStore.h"
#include "LogWriter.h"
#include "RequestBody.h"
#include "ResponseMemory.h"
#include "RunningService.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TimeZoneMapper.h"
#include "TimeZoneName.h"

using nlohmann::json;

namespace {

// A document with one channel and one match.
const json base = json::parse(R"({"channels": [{"id": 1, "name": "C", "satellite": "19.2e",
    "frequency": "11494", "polarisation": "H", "symbol_rate": 22000, "fec": "2/3",
    "encryption": "FTA", "hd": true}], "matches": [{"id": 7, "title": "Home - Away",
    "country1": "de", "picture": "p.png", "country2": "fr", "kickoff": "today 19:00",
    "channels": [1]}]})");

}  // namespace

// Each line of import-cases.txt (a document, or a section and a patch for its record in
// base) imported at 23:59 on the ones before: the error, and what the database holds then.
TEST(Importer, CasesImportAsTheSnapshotShows) {
    TempRoot root;
    root.writeFile("/fake.png", "GIF89a");
    Database db(root.real("/listings.db"), Database::Mode::create);
    std::istringstream in(readBinary(MATCHRAY_SOURCE_DIR "/tests/server/import-cases.txt"));
    std::string text;
    for (std::string line; std::getline(in, line);) {
        json doc = json::parse(line, nullptr, false);
        if (doc.is_array()) {
            const json patch = doc;
            doc = base;
            doc[patch[0].get<std::string>()][0].merge_patch(patch[1]);
        }
        std::string error = Importer(db, 1749945540)  // 2025-06-14 23:59 UTC
                                .importText(doc.is_discarded() ? line : doc.dump(), root.path())
                                .error;
        if (const std::size_t at = error.find(root.path()); at != std::string::npos)
            error.replace(at, root.path().size(), "ROOT");
        if (error.rfind("not valid JSON", 0) == 0) error.resize(14);
        text += line.substr(0, 70) + "\n  " + (error.empty() ? "imported" : error) + "\n ";
        const Listings l =
            ListingsStore(Database(root.real("/listings.db"), Database::Mode::existing))
                .listings(INT64_MIN / 2, INT64_MAX / 2);
        for (const MatchRecord& m : l.matches)
            text += " " + std::to_string(m.id) + "#" + m.title + "#" + m.country1 + "#" +
                    date::format("%FT%RZ", date::sys_seconds{std::chrono::seconds{m.kickoffUtc}});
        for (const MatchSatellite& s : l.satellites) text += " " + s.position.key();
        text += "\n";
    }
    expectSnapshot("server-import", text);

    // The schema itself refuses rows that would break an answer, written past the importer.
    std::istringstream refused(readBinary(MATCHRAY_SOURCE_DIR "/tests/server/schema-refusals.sql"));
    for (std::string statement; std::getline(refused, statement);)
        EXPECT_THROW(db.exec(statement), DatabaseError) << statement;
}

TEST(RequestBody, CorpusBodiesReadAsTheSnapshotShows) {
    expectSnapshot(
        "server-request-body", overCorpus("request_body", [](const std::string& body) {
            const auto l = RequestBody::parseListings(body);
            const auto c = RequestBody::parseChannels(body);
            return "listings " +
                   (l.ok() ? "[" + l.value.zoneName + "] " + l.value.device : "refused") +
                   ", channels " +
                   (c.ok() ? std::to_string(c.value.matchId) + " " +
                                 std::to_string(c.value.filter) + " " + c.value.device
                           : "refused") +
                   ", log " + RequestBody::deviceForLog(body);
        }));
}

// Each corpus name: its offset, places and zone, and local kickoff times in winter, in summer,
// around Europe's and America's change days, and when America has changed and Europe not yet.
TEST(TimeZone, CorpusNamesMapAsTheSnapshotShows) {
    static const TimeZoneMapper mapper;
    const char* const kickoffs[] = {"2025-01-15T19:45Z", "2025-07-01T18:45Z", "2025-03-30T00:30Z",
                                    "2025-03-30T01:30Z", "2025-10-26T00:30Z", "2025-10-26T01:30Z",
                                    "2025-03-09T06:30Z", "2025-03-09T07:30Z", "2025-11-02T05:30Z",
                                    "2025-11-02T06:30Z", "2025-03-15T20:00Z"};
    expectSnapshot(
        "server-time-zones", overCorpus("time_zone_name", [&](const std::string& name) {
            const TimeZoneName n = TimeZoneName::parse(name);
            std::string text = n.offsetMinutes ? std::to_string(*n.offsetMinutes) : "none";
            for (const std::string& place : n.places) text += " [" + place + "]";
            const ReceiverZone zone = mapper.map(name);
            text += " -> " + zone.name();
            for (const char* kickoff : kickoffs) {
                const date::sys_seconds utc{std::chrono::seconds{*KickoffTime::parse(kickoff, 0)}};
                text += (kickoff == kickoffs[0] ? "\n   " : "") +
                        date::format(" %a %H:%M", zone.toLocal(utc));
            }
            return text;
        }));
}

// The same answers kept and asked for under the memory's bound of entries, then of bytes.
TEST(ResponseMemory, PastEitherBoundTheLeastRecentlyUsedGoFirst) {
    const auto answer = [](char c) {
        auto response = std::make_shared<HttpResponse>();
        response->body.assign(1000, c);
        return response;
    };
    ResponseMemory one(ResponseMemory::Limits{});
    one.keep("a", 0, 0, 1000, answer('a'));
    const std::size_t cost = one.bytes();
    for (const ResponseMemory::Limits limits :
         {ResponseMemory::Limits{2, cost * 10}, ResponseMemory::Limits{10, cost * 5 / 2}}) {
        ResponseMemory memory(limits);
        memory.keep("a", 0, 0, 1000, answer('a'));
        memory.keep("b", 0, 0, 1000, answer('b'));
        memory.find("a", 1);
        memory.keep("c", 0, 2, 1000, answer('c'));
        EXPECT_LE(memory.entries(), limits.maxEntries);
        EXPECT_LE(memory.bytes(), limits.maxBytes);
        std::string kept;
        for (const char* key : {"a", "b", "c"}) kept += memory.find(key, 3) ? key : "-";
        EXPECT_EQ(kept, "a-c") << limits.maxEntries << " entries, " << limits.maxBytes << " bytes";
    }
}

TEST(ResponseMemory, NothingReadBeforeTheDataChangedIsKept) {
    ResponseMemory memory(ResponseMemory::Limits{});
    memory.keep("a", 0, 0, 1000, std::make_shared<HttpResponse>());
    memory.follow(1);
    memory.keep("b", 0, 0, 1000, std::make_shared<HttpResponse>());  // read before the change
    EXPECT_EQ(memory.entries(), 0u);
}

// The log's descriptor is a pipe that is full: past the queue's bound lines are dropped, and
// once the reader has caught up one line gives their count, and no later batch repeats it.
TEST(LogWriter, DropsPastItsBoundAndReportsTheCountOncePerStall) {
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
    while (write(ends[1], std::string(4096, '-').data(), 4096) > 0) {
    }
    constexpr std::size_t bound = 8;
    std::string out;
    const auto readUntil = [&](const std::string& end) {
        for (int i = 0; i < 500 && out.find(end) == std::string::npos; ++i) {
            pollfd p{ends[0], POLLIN, 0};
            char buffer[65536];
            if (poll(&p, 1, 20) == 1 && (p.revents & POLLIN))
                out.append(buffer, std::max<ssize_t>(0, read(ends[0], buffer, sizeof buffer)));
        }
    };
    {
        LogWriter log(ends[1], bound);
        log.write("line 0");  // taken alone, then stalled on
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        for (int i = 1; i < 1000; ++i) log.write("line " + std::to_string(i));
        readUntil("dropped");
        readUntil("\n");
        log.write("caught up");
        readUntil("caught up\n");
    }
    close(ends[0]);
    close(ends[1]);
    const auto count = [&](const char* pattern) {
        const std::regex r(pattern);
        return static_cast<std::size_t>(
            std::distance(std::sregex_iterator(out.begin(), out.end(), r), {}));
    };
    std::smatch dropped;
    ASSERT_TRUE(std::regex_search(out, dropped, std::regex("(\\d+) log lines dropped"))) << out;
    EXPECT_EQ(count("dropped"), 1u);
    EXPECT_LE(count("line \\d+\n"), 2 * bound);
    EXPECT_EQ(count("line \\d+\n") + std::stoul(dropped[1]), 1000u);
}
