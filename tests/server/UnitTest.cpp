// The server's parts without a network: the importer and its schema, kickoff times,
// request bodies, and receiver time zones.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "DatabaseError.h"
#include "Importer.h"
#include "KickoffTime.h"
#include "ListingsStore.h"
#include "ListingsWriter.h"
#include "RequestBody.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TimeZoneMapper.h"
#include "TimeZoneName.h"

using nlohmann::json;

namespace {

constexpr std::int64_t june14 = 1749859200;  // 2025-06-14 00:00 UTC

const json channel1 = {{"id", 1},
                       {"name", "C"},
                       {"satellite", "19.2e"},
                       {"frequency", "11494"},
                       {"polarisation", "H"},
                       {"symbol_rate", 22000},
                       {"fec", "2/3"},
                       {"encryption", "FTA"},
                       {"hd", true}};
const json match7 = {
    {"id", 7},          {"title", "Home - Away"},   {"country1", "de"}, {"picture", "p.png"},
    {"country2", "fr"}, {"kickoff", "today 19:00"}, {"channels", {1}}};

// Each corpus file of a fuzz target with what f makes of it, one line each.
std::string overCorpus(const std::string& target,
                       const std::function<std::string(const std::string&)>& f) {
    std::vector<std::filesystem::path> files;
    for (const auto& e :
         std::filesystem::directory_iterator(MATCHRAY_SOURCE_DIR "/fuzz/corpus/" + target))
        files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::string text;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        text += file.filename().string() + ": " +
                f(std::string(std::istreambuf_iterator<char>(in), {})) + "\n";
    }
    return text;
}

const TimeZoneMapper& mapper() {
    static const TimeZoneMapper instance;
    return instance;
}

}  // namespace

TEST(Importer, ReplacesByIdAllOrNothingAndNamesTheBadField) {
    TempRoot root;
    Database db(root.real("/listings.db"), Database::Mode::create);
    const auto import = [&](const json& doc) {
        return Importer(db, june14).importText(doc.dump(), root.path()).error;
    };
    const auto stored = [&] {
        const Listings l =
            ListingsStore(Database(root.real("/listings.db"), Database::Mode::existing))
                .listings(INT64_MIN / 2, INT64_MAX / 2);
        std::string text;
        for (const auto& m : l.matches) text += m.title + "@" + std::to_string(m.kickoffUtc) + " ";
        for (const auto& s : l.satellites) text += s.position.key() + " ";
        return text;
    };
    json renamed = match7, second = match7, moved = channel1;
    renamed["title"] = "Renamed";
    second["id"] = 8;
    second["channels"] = json::array();
    moved["satellite"] = "28.2e";
    ASSERT_EQ(import({{"channels", {channel1}}, {"matches", {match7, second}}}), "");
    ASSERT_EQ(import({{"channels", {moved}}, {"matches", {renamed}}}), "");
    const std::string before = stored();
    EXPECT_EQ(before, "Renamed@1749927600 Home - Away@1749927600 28.2e ");

    // Each case of import-cases.txt: a document, or a section and a patch merged into its
    // record of a document with one channel and one match; each fails whole.
    root.writeFile("/fake.png", "GIF89a");
    std::ifstream in(MATCHRAY_SOURCE_DIR "/tests/server/import-cases.txt");
    std::string errors;
    for (std::string line; std::getline(in, line);) {
        json doc = json::parse(line, nullptr, false);
        if (doc.is_array()) {
            const json patch = doc;
            doc = {{"channels", {channel1}}, {"matches", {match7}}};
            doc[patch[0].get<std::string>()][0].merge_patch(patch[1]);
        }
        std::string error = doc.is_discarded()
                                ? Importer(db, 0).importText(line, "").error.substr(0, 16)
                                : import(doc);
        if (const std::size_t at = error.find(root.path()); at != std::string::npos)
            error.replace(at, root.path().size(), "ROOT");
        errors += line.substr(0, 50) + "\n  " + error + "\n";
    }
    expectSnapshot("server-import-errors", errors);
    // A failure half way, after a channel and a match were changed, leaves all as it was.
    EXPECT_NE(import({{"channels", {channel1}}, {"matches", {match7, json(42)}}}), "");
    EXPECT_EQ(stored(), before);

    // The schema itself refuses rows that would break an answer, written past the importer.
    for (const char* title : {"'a#b'", "'a' || char(10)", "'a' || char(13)",
                              "CAST(x'610062' AS TEXT)", "''", "printf('%.200c', 'x')", "x'41'"})
        EXPECT_THROW(db.exec(std::string("INSERT INTO matches VALUES (1, ") + title +
                             ", 'de', 'p.png', 'fr', 0)"),
                     DatabaseError)
            << title;
    EXPECT_NO_THROW(
        db.exec("INSERT INTO matches VALUES (1, printf('%.199c', 'x'), 'de', 'p', 'fr', 0)"));
    for (const char* row : {"1, 'n', 192, 'E', 'f', 'p', 1, 'x', 'e', 0",
                            "1, 'n', 192, 'e', 'f', 'p', 1, 'x', 'e', 2",
                            "1, 'n', 192, 'e', '1234567890', 'p', 1, 'x', 'e', 0"})
        EXPECT_THROW(db.exec(std::string("INSERT INTO channels VALUES (") + row + ")"),
                     DatabaseError);
    EXPECT_THROW(db.exec("INSERT INTO match_channels VALUES (1, 99, 0)"), DatabaseError);
}

TEST(KickoffTime, ReadsMomentsWithOffsetAndDaysFromTheImportDay) {
    const std::int64_t lateOnJune14 = june14 + 23 * 3600 + 59 * 60, at19 = june14 + 19 * 3600;
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"2025-06-14T19:00:00Z", at19},
        {"2025-06-14T19:00Z", at19},
        {"2025-06-14T21:00+02:00", at19},
        {"2025-06-14T15:30-03:30", at19},
        {"today 19:00", at19},
        {"today+2 19:00", at19 + 2 * 86400},
        {"today-1 19:00", at19 - 86400},
    };
    for (const auto& [text, utc] : cases)
        EXPECT_EQ(KickoffTime::parse(text, lateOnJune14), utc) << text;
    for (const char* bad :
         {"2025-06-14T19:00", "2025-02-29T19:00Z", "2025-06-14T24:00Z", "2025-06-14 19:00Z",
          "2025-06-14T19:00Zx", "14.06.2025 19:00", "", "today", "today+ 19:00", "today+2 19",
          "today+2 7:00", "today+400 19:00", "tomorrow 19:00", "today+2  19:00"})
        EXPECT_FALSE(KickoffTime::parse(bad, lateOnJune14)) << bad;
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

// Each corpus name: its offset and places, the zone it maps to, and the local time of
// kickoffs in winter, in summer and around the European and American change days.
TEST(TimeZone, CorpusNamesMapAsTheSnapshotShows) {
    const char* const kickoffs[] = {
        "2025-01-15T19:45Z", "2025-07-01T18:45Z",
        // Europe: forward at 01:00 UTC on 30 March 2025, back at 01:00 UTC on 26 October.
        "2025-03-30T00:30Z", "2025-03-30T01:30Z", "2025-10-26T00:30Z", "2025-10-26T01:30Z",
        // America: forward on 9 March at 02:00 local time, back on 2 November at 02:00.
        "2025-03-09T06:30Z", "2025-03-09T07:30Z", "2025-11-02T05:30Z", "2025-11-02T06:30Z",
        // Between the two: America has changed, Europe not yet.
        "2025-03-15T20:00Z"};
    expectSnapshot(
        "server-time-zones", overCorpus("time_zone_name", [&](const std::string& name) {
            const TimeZoneName n = TimeZoneName::parse(name);
            std::string text = n.offsetMinutes ? std::to_string(*n.offsetMinutes) : "none";
            for (const std::string& place : n.places) text += " [" + place + "]";
            const ReceiverZone zone = mapper().map(name);
            text += " -> " + zone.name();
            for (const char* kickoff : kickoffs) {
                const date::sys_seconds utc{std::chrono::seconds{*KickoffTime::parse(kickoff, 0)}};
                text += (kickoff == kickoffs[0] ? "\n   " : "") +
                        date::format(" %a %H:%M", zone.toLocal(utc));
            }
            return text;
        }));
    // The answer's wording: weekday and time, within the receiver's 49 bytes.
    EXPECT_EQ(ListingsWriter::kickoffText(mapper().map("Sarajevo"), june14 + 19 * 3600),
              "Sat 21:00");
    EXPECT_LE(ListingsWriter::kickoffText(mapper().map("(GMT+14:00) Kiritimati"), 0).size(), 49u);
}
