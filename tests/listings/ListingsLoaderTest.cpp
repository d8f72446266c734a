#include "ListingsLoader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "TempRoot.h"

namespace {

class ListingsLoaderTest : public testing::Test {
protected:
    // Writes text as the listings file and loads it.
    int load(const std::string& text) {
        root.writeFile("/tmp/psn", text);
        return loadFile();
    }
    int loadFile() {
        keep(ListingsLoader::load("/tmp/psn"));
        EXPECT_FALSE(root.exists("/tmp/psn")) << "the listings file must be gone after every run";
        return status;
    }
    // Appends what a load gave to what the loads before gave.
    void keep(const ListingsLoader::Result& result) {
        matches.insert(matches.end(), result.matches.begin(), result.matches.end());
        satellites.insert(satellites.end(), result.satellites.begin(), result.satellites.end());
        status = result.status;
    }

    TempRoot root;
    int status = -1;
    std::vector<matchray_matches> matches;
    std::vector<matchray_satellites> satellites;
};

const char* const twoMatches =
    "2\n"
    "7#Croatia - Spain#hr#m7.png#es#Sat 20:45\n"
    "9#Italy - Wales#it#m9.png#wales#Sun 18:00\n"
    "3\n"
    "7#13.0#e\n"
    "7#19.2#e\n"
    "9#1.0#w\n";

// The failure table, row by row.

TEST_F(ListingsLoaderTest, MissingFileGivesOneAndNoRecords) {
    EXPECT_EQ(loadFile(), 1);
    EXPECT_TRUE(matches.empty());
    EXPECT_TRUE(satellites.empty());
}

TEST_F(ListingsLoaderTest, UnreadableOrMissingMatchCountGivesZero) {
    EXPECT_EQ(load("x\n0\n"), 0);
    EXPECT_EQ(load("\n\n  \n"), 0);
    EXPECT_EQ(load(""), 0);
    EXPECT_TRUE(matches.empty());
}

TEST_F(ListingsLoaderTest, MatchLineThatYieldsNothingKeepsTheMatchesBefore) {
    EXPECT_EQ(load("3\n1#A#a#a.png#b#now\n#B#c#c.png#d#later\n0\n"), 0);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].title, "A");
    EXPECT_TRUE(satellites.empty());
}

TEST_F(ListingsLoaderTest, FewerMatchLinesThanCountedGivesZero) {
    EXPECT_EQ(load("3\n1#A#a#a.png#b#now\n2#B#c#c.png#d#later\n"), 0);
    EXPECT_EQ(matches.size(), 2u);
    EXPECT_TRUE(satellites.empty());
}

TEST_F(ListingsLoaderTest, UnreadableSatelliteCountKeepsAllMatches) {
    EXPECT_EQ(load("1\n1#A#a#a.png#b#now\nmany\n1#13.0#e\n"), 0);
    EXPECT_EQ(matches.size(), 1u);
    EXPECT_TRUE(satellites.empty());
    EXPECT_EQ(load("1\n1#A#a#a.png#b#now\n"), 0);
}

TEST_F(ListingsLoaderTest, SatelliteLineThatYieldsNothingKeepsWhatWasRead) {
    EXPECT_EQ(load("1\n1#A#a#a.png#b#now\n3\n1#13.0#e\n#19.2#e\n1#1.0#w\n"), 0);
    EXPECT_EQ(matches.size(), 1u);
    ASSERT_EQ(satellites.size(), 1u);
    EXPECT_EQ(satellites[0].positionKey(), "13.0e");
}

TEST_F(ListingsLoaderTest, FewerSatelliteLinesThanCountedGivesZero) {
    EXPECT_EQ(load("1\n1#A#a#a.png#b#now\n2\n1#13.0#e\n"), 0);
    EXPECT_EQ(satellites.size(), 1u);
}

TEST_F(ListingsLoaderTest, WholeFileGivesEveryRecordInFileOrder) {
    EXPECT_EQ(load(twoMatches), 1);
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].id, 7);
    EXPECT_EQ(matches[0].title, "Croatia - Spain");
    EXPECT_EQ(matches[0].country1, "hr");
    EXPECT_EQ(matches[0].picture, "m7.png");
    EXPECT_EQ(matches[0].country2, "es");
    EXPECT_EQ(matches[0].kickoff, "Sat 20:45");
    EXPECT_EQ(matches[1].id, 9);
    EXPECT_EQ(matches[1].country2, "wales");
    ASSERT_EQ(satellites.size(), 3u);
    EXPECT_EQ(satellites[0].match_id, 7);
    EXPECT_EQ(satellites[1].positionKey(), "19.2e");
    EXPECT_EQ(satellites[2].match_id, 9);
    EXPECT_EQ(satellites[2].positionKey(), "1.0w");
}

TEST_F(ListingsLoaderTest, SymbolicLinkAtTheFileIsNotReadButRemoved) {
    root.writeFile("/elsewhere", twoMatches);
    ASSERT_EQ(symlink(root.real("/elsewhere").c_str(), root.real("/tmp/psn").c_str()), 0);
    EXPECT_EQ(loadFile(), 1);
    EXPECT_TRUE(matches.empty());
    EXPECT_EQ(root.readFile("/elsewhere"), twoMatches);
}

// Edge cases of the format.

TEST_F(ListingsLoaderTest, CountsOfZeroAndBelowReadNoLines) {
    EXPECT_EQ(load("0\n0\n"), 1);
    EXPECT_EQ(load("-3\n-1\n"), 1);
    EXPECT_EQ(load("-2\n-5#A#a#a.png#b#now\n"), 1) << "a line after the counts is ignored";
    EXPECT_TRUE(matches.empty());
    EXPECT_TRUE(satellites.empty());
}

TEST_F(ListingsLoaderTest, WhiteSpaceAroundCountsAndLinesIsSkipped) {
    EXPECT_EQ(load("  \n 1\n\n\n1#A#a#a.png#b#now\n\n \t\n+1\n\n1#13.0#e"), 1);
    EXPECT_EQ(matches.size(), 1u);
    EXPECT_EQ(satellites.size(), 1u);
    EXPECT_EQ(satellites[0].sat_direction, "e") << "the file may end without a line break";
}

TEST_F(ListingsLoaderTest, CarriageReturnsStayInTheLastFields) {
    EXPECT_EQ(load("1\r\n3#A#a#a.png#b#Mon 21:00\r\n1\r\n3#13.0#e\r\n"), 1);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].kickoff, "Mon 21:00\r");
    ASSERT_EQ(satellites.size(), 1u);
    EXPECT_EQ(satellites[0].sat_direction, "e\r");
    EXPECT_EQ(satellites[0].positionKey(), "13.0e\r");
}

TEST_F(ListingsLoaderTest, HashInTheLastFieldIsKept) {
    EXPECT_EQ(load("1\n1#A#a#a.png#b#Round #3 # live\n1\n1#13.0#e#x\n"), 1);
    EXPECT_EQ(matches[0].kickoff, "Round #3 # live");
    EXPECT_EQ(satellites[0].sat_direction, "e#x");
}

TEST_F(ListingsLoaderTest, BlanksAndLineBreaksBelongToTextFields) {
    EXPECT_EQ(load("1\n1#  Real Madrid - Inter  #a#a b.png#b#now\n0\n"), 1);
    EXPECT_EQ(matches[0].title, "  Real Madrid - Inter  ");
    EXPECT_EQ(matches[0].picture, "a b.png");
    EXPECT_EQ(load("1\n2#Two\nlines#a#a.png#b#now\n0\n"), 1);
    EXPECT_EQ(matches[1].title, "Two\nlines");
}

TEST_F(ListingsLoaderTest, SurplusSatelliteLinesAreIgnored) {
    EXPECT_EQ(load("1\n1#A#a#a.png#b#now\n1\n1#13.0#e\n1#19.2#e\ngarbage\n"), 1);
    EXPECT_EQ(satellites.size(), 1u);
}

TEST_F(ListingsLoaderTest, SurplusMatchLineIsReadAsTheSatelliteCount) {
    EXPECT_EQ(load("1\n1#A#a#a.png#b#now\n2#B#c#c.png#d#later\n1\n1#13.0#e\n"), 0);
    EXPECT_EQ(matches.size(), 1u);
    EXPECT_TRUE(satellites.empty());
}

TEST_F(ListingsLoaderTest, PartlyReadableLineMakesARecordWithTheLineBeforesValues) {
    // The empty country1 stops the second line after its title; the rest of
    // it then fails as the next line, which ends the reading.
    EXPECT_EQ(load("2\n1#A#a#a.png#b#now\n2#B##c.png#d#later\n0\n"), 0);
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[1].id, 2);
    EXPECT_EQ(matches[1].title, "B");
    EXPECT_EQ(matches[1].country1, "a");
    EXPECT_EQ(matches[1].kickoff, "now");

    // A last line cut short by the end of the file still counts.
    EXPECT_EQ(load("1\n5#Short\n"), 0);
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[2].id, 5);
    EXPECT_EQ(matches[2].title, "Short\n") << "a text field runs on to the next '#'";
    EXPECT_EQ(matches[2].picture, "") << "a new load starts from empty texts";
}

TEST_F(ListingsLoaderTest, OverlongFieldsAreCutAtTheirCapacities) {
    std::string title(250, 't');
    std::string picture = std::string(30, 'p') + ".png";
    std::string kickoff(80, 'k');
    EXPECT_EQ(load("1\n1#" + title + "#hr#" + picture + "#es#" + kickoff + "\n1\n1#" +
                   std::string(12, '1') + "#eastwards\n"),
              1);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].title, title.substr(0, 199));
    EXPECT_EQ(matches[0].country1, "hr") << "the rest of the overlong title is skipped";
    EXPECT_EQ(matches[0].picture, picture.substr(0, 19));
    EXPECT_EQ(matches[0].country2, "es");
    EXPECT_EQ(matches[0].kickoff, kickoff.substr(0, 49));
    ASSERT_EQ(satellites.size(), 1u);
    EXPECT_EQ(satellites[0].sat_position, std::string(9, '1'));
    EXPECT_EQ(satellites[0].sat_direction, "eastwards");
}

TEST_F(ListingsLoaderTest, OverlongFieldsAreNeverCutInsideAUtf8Sequence) {
    std::string e2;  // 100 two-byte sequences: 200 bytes, cut within the 100th
    for (int i = 0; i < 100; ++i) e2 += "\xC3\xA9";
    std::string euro;  // 7 three-byte sequences: 21 bytes
    for (int i = 0; i < 7; ++i) euro += "\xE2\x82\xAC";
    std::string smile = "\xF0\x9F\x98\x80";
    std::string exact = "a" + euro;  // 1 + 21 bytes: the 19th byte ends a sequence

    EXPECT_EQ(load("1\n1#" + e2 + "#" + euro + "#" + exact + "#es#" + "k" + euro + euro + euro +
                   "\n1\n1#" + smile + smile + smile + "#w" + smile + smile + "\n"),
              1);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].title, e2.substr(0, 198));
    EXPECT_EQ(matches[0].country1, euro.substr(0, 18));
    EXPECT_EQ(matches[0].picture, exact.substr(0, 19));
    EXPECT_EQ(matches[0].country2, "es");
    EXPECT_EQ(matches[0].kickoff, ("k" + euro + euro + euro).substr(0, 49));
    ASSERT_EQ(satellites.size(), 1u);
    EXPECT_EQ(satellites[0].sat_position, smile + smile);
    EXPECT_EQ(satellites[0].sat_direction, "w" + smile + smile);
}

TEST_F(ListingsLoaderTest, FieldFillingItsCapacityExactlyIsKeptWhole) {
    std::string picture = "ab" + std::string("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC") + "12345678";
    ASSERT_EQ(picture.size(), 19u);
    EXPECT_EQ(load("1\n1#T#a#" + picture + "#b#now\n0\n"), 1);
    EXPECT_EQ(matches[0].picture, picture);
}

TEST_F(ListingsLoaderTest, NumbersOutOfRangeSaturate) {
    EXPECT_EQ(load("1\n99999999999#A#a#a.png#b#now\n1\n-99999999999#13.0#e\n"), 1);
    EXPECT_EQ(matches[0].id, INT32_MAX);
    EXPECT_EQ(satellites[0].match_id, INT32_MIN);
}

TEST_F(ListingsLoaderTest, ReadsAnOpenStreamWithoutClosingIt) {
    std::string text = twoMatches;
    FILE* file = fmemopen(text.data(), text.size(), "r");
    ASSERT_NE(file, nullptr);
    keep(ListingsLoader::read(file));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(matches.size(), 2u);
    EXPECT_EQ(satellites.size(), 3u);
    fclose(file);
}

}  // namespace
