#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "DatabaseError.h"
#include "Importer.h"
#include "KickoffTime.h"
#include "ListingsStore.h"
#include "TempDir.h"

using nlohmann::json;

namespace {

constexpr std::int64_t june14 = 1749859200;  // 2025-06-14 00:00 UTC

json channel(int id, const char* satellite = "19.2e") {
    return {{"id", id},
            {"name", "Channel " + std::to_string(id)},
            {"satellite", satellite},
            {"frequency", "11494"},
            {"polarisation", "H"},
            {"symbol_rate", 22000},
            {"fec", "2/3"},
            {"encryption", "Free To Air"},
            {"hd", true}};
}

json match(int id, json channels = json::array({1})) {
    return {{"id", id},
            {"title", "Home - Away " + std::to_string(id)},
            {"country1", "de"},
            {"picture", "cup.png"},
            {"country2", "fr"},
            {"kickoff", "2025-06-14T19:00:00Z"},
            {"channels", std::move(channels)}};
}

class Import : public testing::Test {
protected:
    Import() : db(dir.file("listings.db"), Database::Mode::create) {}

    Importer::Result import(const json& doc) {
        return Importer(db, june14 + 12 * 3600).importText(doc.dump(), dir.path());
    }
    // The error of a document with one channel and one match, the match changed by edit.
    std::string matchError(const std::function<void(json&)>& edit) {
        json m = match(7);
        edit(m);
        const auto r = import({{"channels", {channel(1)}}, {"matches", {m}}});
        return r.error;
    }
    std::string channelError(const std::function<void(json&)>& edit) {
        json c = channel(1);
        edit(c);
        return import({{"channels", {c}}}).error;
    }
    Listings stored() {
        ListingsStore store(Database(dir.file("listings.db"), Database::Mode::existing));
        return store.listings(INT64_MIN / 2, INT64_MAX / 2);
    }

    TempDir dir;
    Database db;
};

}  // namespace

TEST_F(Import, AddsThenReplacesRecordsById) {
    auto r = import({{"channels", {channel(1), channel(2, "13.0e")}},
                     {"matches", {match(7, {2, 1}), match(8, json::array())}}});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(r.matches, 2);
    Listings l = stored();
    ASSERT_EQ(l.matches.size(), 2u);
    EXPECT_EQ(l.matches[0].kickoffUtc, june14 + 19 * 3600);
    EXPECT_EQ(l.satellites.size(), 2u);  // match 8 has none

    json changed = match(7, {1});
    changed["title"] = "Changed";
    ASSERT_TRUE(import({{"matches", {changed}}}).ok());
    l = stored();
    ASSERT_EQ(l.matches.size(), 2u);
    EXPECT_EQ(l.matches[0].title, "Changed");
    ASSERT_EQ(l.satellites.size(), 1u);
    EXPECT_EQ(l.satellites[0].position.key(), "19.2e");
}

TEST_F(Import, ErrorsNameTheRecordAndTheField) {
    EXPECT_EQ(matchError([](json& m) { m["title"] = "A#B"; }),
              "matches[0] (id 7), field \"title\": contains '#'");
    EXPECT_EQ(matchError([](json& m) { m["title"] = std::string(200, 'x'); }),
              "matches[0] (id 7), field \"title\": is 200 bytes long, more than 199");
    EXPECT_EQ(matchError([](json& m) { m["title"] = "two\nlines"; }),
              "matches[0] (id 7), field \"title\": contains a line break");
    EXPECT_EQ(matchError([](json& m) { m["title"] = "tab\there"; }),
              "matches[0] (id 7), field \"title\": contains a control character");
    EXPECT_EQ(matchError([](json& m) { m["title"] = ""; }),
              "matches[0] (id 7), field \"title\": is empty");
    EXPECT_EQ(
        matchError([](json& m) { m["country1"] = "d/e"; }),
        "matches[0] (id 7), field \"country1\": may hold only letters, digits, '.', '_' and '-'");
    EXPECT_EQ(matchError([](json& m) { m["country1"] = "../de"; }),
              "matches[0] (id 7), field \"country1\": starts with '.'");
    EXPECT_EQ(matchError([](json& m) { m.erase("country2"); }),
              "matches[0] (id 7), field \"country2\": is missing");
    EXPECT_EQ(matchError([](json& m) { m["kickoff"] = "2025-06-14 19:00"; }).substr(0, 43),
              "matches[0] (id 7), field \"kickoff\": is neit");
    EXPECT_EQ(matchError([](json& m) {
                  m["channels"] = {1, 9};
              }),
              "matches[0] (id 7), field \"channels[1]\": names no channel: 9");
    EXPECT_EQ(matchError([](json& m) { m["id"] = 2147483648LL; }),
              "matches[0], field \"id\": is out of range (-2147483648 to 2147483647)");
    EXPECT_EQ(matchError([](json& m) { m["titel"] = "typo"; }),
              "matches[0] (id 7), field \"titel\": is not a known field");

    EXPECT_EQ(channelError([](json& c) { c["satellite"] = "19.2"; }),
              "channels[0] (id 1), field \"satellite\": is not an orbital position such as "
              "\"19.2e\" or \"1.0w\"");
    EXPECT_EQ(channelError([](json& c) { c["frequency"] = 1234567890; }),
              "channels[0] (id 1), field \"frequency\": is 10 bytes long, more than 9");
    EXPECT_EQ(channelError([](json& c) { c["hd"] = 2; }),
              "channels[0] (id 1), field \"hd\": is not true, false, 0 or 1");
    EXPECT_EQ(channelError([](json& c) { c["symbol_rate"] = 0; }),
              "channels[0] (id 1), field \"symbol_rate\": is out of range (1 to 2147483647)");
    EXPECT_EQ(channelError([](json& c) { c["encryption"] = std::string(100, 'e'); }),
              "channels[0] (id 1), field \"encryption\": is 100 bytes long, more than 99");

    EXPECT_EQ(import({{"channels", {channel(1), channel(1)}}}).error,
              "channels[1] (id 1), field \"id\": appears twice in the document");
    EXPECT_EQ(import({{"pictures", {{{"name", "a.png"}, {"file", "missing.png"}}}}}).error,
              "pictures[0] (name \"a.png\"), field \"file\": cannot be read from " +
                  dir.file("missing.png"));
    EXPECT_EQ(import({{"teams", json::array()}}).error, "\"teams\" is not a known section");
    EXPECT_EQ(import({{"matches", {42}}}).error, "matches[0] is not an object");
    EXPECT_EQ(Importer(db, 0).importText("{\"matches\": [", "").error.substr(0, 16),
              "not valid JSON: ");
}

TEST_F(Import, FieldsAtTheirCapacityAreTakenWhole) {
    // 199 bytes of title made of two-byte characters and one blank.
    std::string title = " ";
    while (title.size() < 199) title += "\xc3\xa9";
    json m = match(7);
    m["title"] = title;
    m["country1"] = std::string(19, 'c');
    ASSERT_TRUE(import({{"channels", {channel(1)}}, {"matches", {m}}}).ok());
    EXPECT_EQ(stored().matches[0].title, title);
    EXPECT_EQ(stored().matches[0].country1, std::string(19, 'c'));
}

TEST_F(Import, AFailureHalfWayLeavesTheDatabaseAsItWas) {
    ASSERT_TRUE(import({{"channels", {channel(1)}}, {"matches", {match(7)}}}).ok());

    // Changes a channel and a match and adds a match before the third match fails.
    json renamed = match(7);
    renamed["title"] = "Renamed";
    json bad = match(9);
    bad["picture"] = "no/slash.png";
    json movedChannel = channel(1, "28.2e");
    const auto r = import({{"channels", {movedChannel}}, {"matches", {renamed, match(8), bad}}});
    EXPECT_EQ(r.error.rfind("matches[2] (id 9), field \"picture\"", 0), 0u) << r.error;

    const Listings l = stored();
    ASSERT_EQ(l.matches.size(), 1u);
    EXPECT_EQ(l.matches[0].title, "Home - Away 7");
    ASSERT_EQ(l.satellites.size(), 1u);
    EXPECT_EQ(l.satellites[0].position.key(), "19.2e");
}

TEST_F(Import, PicturesAreStoredAndCheckedForPng) {
    dir.write("p.png", std::string("\x89PNG\r\n\x1a\n", 8) + "rest");
    dir.write("fake.png", "GIF89a");
    ASSERT_TRUE(import({{"pictures", {{{"name", "p.png"}, {"file", "p.png"}}}}}).ok());
    ListingsStore store(Database(dir.file("listings.db"), Database::Mode::existing));
    EXPECT_EQ(store.picture("p.png")->substr(8), "rest");
    EXPECT_FALSE(store.picture("q.png"));
    EXPECT_EQ(
        import({{"pictures", {{{"name", "f.png"}, {"file", "fake.png"}}}}}).error,
        "pictures[0] (name \"f.png\"), field \"file\": is not a PNG file: " + dir.file("fake.png"));
}

TEST_F(Import, TheSchemaRefusesWhatWouldBreakAnAnswer) {
    // Written past the importer, straight into the tables.
    const std::string row = "INSERT INTO matches VALUES (1, %s, 'de', 'p.png', 'fr', 0)";
    auto insertTitle = [&](const std::string& sql) {
        std::string statement = row;
        statement.replace(statement.find("%s"), 2, sql);
        db.exec(statement);
    };
    EXPECT_THROW(insertTitle("'a#b'"), DatabaseError);
    EXPECT_THROW(insertTitle("'a' || char(10)"), DatabaseError);
    EXPECT_THROW(insertTitle("'a' || char(13)"), DatabaseError);
    EXPECT_THROW(insertTitle("CAST(x'610062' AS TEXT)"), DatabaseError);  // NUL inside
    EXPECT_THROW(insertTitle("''"), DatabaseError);
    EXPECT_THROW(insertTitle("printf('%.200c', 'x')"), DatabaseError);
    EXPECT_THROW(insertTitle("x'41'"), DatabaseError);  // a blob, not text
    EXPECT_NO_THROW(insertTitle("printf('%.199c', 'x')"));
    EXPECT_THROW(
        db.exec("INSERT INTO channels VALUES (1, 'n', 192, 'E', 'f', 'p', 1, 'x', 'e', 0)"),
        DatabaseError);
    EXPECT_THROW(
        db.exec("INSERT INTO channels VALUES (1, 'n', 192, 'e', 'f', 'p', 1, 'x', 'e', 2)"),
        DatabaseError);
    EXPECT_THROW(
        db.exec(
            "INSERT INTO channels VALUES (1, 'n', 192, 'e', '1234567890', 'p', 1, 'x', 'e', 0)"),
        DatabaseError);
    EXPECT_THROW(db.exec("INSERT INTO match_channels VALUES (1, 99, 0)"), DatabaseError);
}

TEST(KickoffTime, ReadsMomentsWithTheirOffset) {
    EXPECT_EQ(KickoffTime::parse("2025-06-14T19:00:00Z", 0), june14 + 19 * 3600);
    EXPECT_EQ(KickoffTime::parse("2025-06-14T19:00Z", 0), june14 + 19 * 3600);
    EXPECT_EQ(KickoffTime::parse("2025-06-14T21:00+02:00", 0), june14 + 19 * 3600);
    EXPECT_EQ(KickoffTime::parse("2025-06-14T15:30-03:30", 0), june14 + 19 * 3600);
    for (const char* bad : {"2025-06-14T19:00", "2025-02-29T19:00Z", "2025-06-14T24:00Z",
                            "2025-06-14 19:00Z", "2025-06-14T19:00Zx", "14.06.2025 19:00", ""}) {
        EXPECT_FALSE(KickoffTime::parse(bad, 0)) << bad;
    }
}

TEST(KickoffTime, CountsRelativeDaysFromTheImportDay) {
    const std::int64_t lateOnJune14 = june14 + 23 * 3600 + 59 * 60;
    EXPECT_EQ(KickoffTime::parse("today 20:45", lateOnJune14), june14 + 20 * 3600 + 45 * 60);
    EXPECT_EQ(KickoffTime::parse("today+2 19:00", lateOnJune14), june14 + 2 * 86400 + 19 * 3600);
    EXPECT_EQ(KickoffTime::parse("today-1 18:00", lateOnJune14), june14 - 86400 + 18 * 3600);
    for (const char* bad : {"today", "today+ 19:00", "today+2 19", "today+2 7:00",
                            "today+400 19:00", "tomorrow 19:00", "today+2  19:00"}) {
        EXPECT_FALSE(KickoffTime::parse(bad, lateOnJune14)) << bad;
    }
}
