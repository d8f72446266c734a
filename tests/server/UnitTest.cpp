// The server's parts without a network: importer and schema, request bodies, time zones.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <sstream>

#include "DatabaseError.h"
#include "Importer.h"
#include "KickoffTime.h"
#include "ListingsStore.h"
#include "RequestBody.h"
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

// Each corpus file of a fuzz target with what f makes of it, one line each.
std::string overCorpus(const std::string& target,
                       const std::function<std::string(const std::string&)>& f) {
    std::string text;
    for (const std::string& file : corpusFiles(target))
        text += file.substr(file.rfind('/') + 1) + ": " + f(readBinary(file)) + "\n";
    return text;
}

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
