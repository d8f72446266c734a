#include "ChannelFileReader.h"
#include "ListingsLoader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "EntryRecorder.h"
#include "TempRoot.h"

namespace {

// Puts a corpus file (or "(missing)": nothing, "(link)": a link to its sample) at /tmp/psn.
void placeFile(const TempRoot& root, const std::string& corpus, const std::string& file) {
    if (file == "(link)") {
        root.writeFile("/elsewhere", readBinary(corpus + "sample"));
        ASSERT_EQ(symlink(root.real("/elsewhere").c_str(), root.real("/tmp/psn").c_str()), 0);
    } else if (file != "(missing)") {
        root.writeFile("/tmp/psn", readBinary(corpus + file));
    }
}

template <class Case>
std::string caseName(const testing::TestParamInfo<Case>& info) {
    std::string name = info.param.file;
    name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return !isalnum(c); }),
               name.end());
    return name;
}

// A field as it is, or its length when it is long.
std::string shown(const std::string& field) {
    return field.size() > 16 ? "<" + std::to_string(field.size()) + " bytes>" : field;
}

// "STATUS MATCHES SATELLITES | last match | last satellite".
std::string describe(const ListingsLoader::Result& r) {
    std::string text = std::to_string(r.status) + " " + std::to_string(r.matches.size()) + " " +
                       std::to_string(r.satellites.size());
    if (!r.matches.empty()) {
        const matchray_matches& m = r.matches.back();
        text += " | " + std::to_string(m.id) + "#" + shown(m.title) + "#" + shown(m.country1) +
                "#" + shown(m.picture) + "#" + shown(m.country2) + "#" + shown(m.kickoff);
    }
    if (!r.satellites.empty()) {
        const matchray_satellites& s = r.satellites.back();
        text += " | " + std::to_string(s.match_id) + "#" + shown(s.sat_position) + "#" +
                shown(s.sat_direction);
    }
    return text;
}

struct LoaderCase {
    const char* file;  // in fuzz/corpus/listings_loader/; "(missing)" or "(link)" to the sample
    const char* expected;
};

const LoaderCase loaderCases[] = {
    {"(missing)", "1 0 0"},
    {"(link)", "1 0 0"},
    {"sample", "1 3 4 | 103#<24 bytes>#rs#103.png#mk#Mon 21:00 | 103#28.2#e"},
    {"crlf", "1 3 4 | 103#<24 bytes>#rs#103.png#mk#Mon 21:00\r | 103#28.2#e\r"},
    {"empty", "0 0 0"},
    {"word_count", "0 0 0"},
    {"zero_counts", "1 0 0"},
    {"negative_counts", "1 0 0"},
    {"only_match_count", "0 0 0"},
    {"fewer_lines", "0 1 0 | 1#A v B#de#1.png#fr#Sat 20:00"},
    {"bad_match_line", "0 1 0 | 1#A#a#a.png#b#now"},
    {"surplus_match_line", "0 1 0 | 1#A#a#a.png#b#now"},
    {"bad_satellite_count", "0 1 0 | 1#A#a#a.png#b#now"},
    {"bad_satellite_line", "0 1 1 | 1#A#a#a.png#b#now | 1#13.0#e"},
    {"fewer_satellite_lines", "0 1 1 | 1#A#a#a.png#b#now | 1#13.0#e"},
    {"surplus_satellites", "1 1 1 | 7#A v B#de#7.png#fr#Sat | 7#13.0#e"},
    {"blank_lines", "1 1 1 | 7#A v B#de#7.png#fr#Sat | 7#13.0#e"},
    {"no_final_newline", "1 1 1 | 7#A v B#de#7.png#fr#Sat | 7#13.0#e"},
    {"hash_in_kickoff", "1 1 1 | 7#A v B#de#7.png#fr#Sat #1 20:00 | 7#13.0#e"},
    {"two_line_title", "1 1 0 | 2#Two\nlines#a#a b.png#b#now"},
    // A line that stops early keeps the values of the line before in the rest.
    {"partly_readable", "0 2 0 | 2#B#a#a.png#b#now"},
    {"cut_last_line", "0 1 0 | 5#Short\n####"},
    {"empty_field", "0 1 0 | 7#####"},
    // Over their capacities, fields are cut, never inside a UTF-8 sequence.
    {"overlong_ascii",
     "1 1 1 | 9#<199 bytes>#<19 bytes>#<19 bytes>#<19 bytes>#<49 bytes> | "
     "9#111111111#eeeeeeeee"},
    {"overlong_utf8",
     "1 1 1 | 9#<198 bytes>#<18 bytes>#<18 bytes>#<18 bytes>#<48 bytes> | "
     "9#\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0#\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},
    {"exact_capacity", "1 1 0 | 1#T#a#<19 bytes>#b#now"},
    {"saturated_ids", "1 1 1 | 2147483647#A#a#a.png#b#now | -2147483648#13.0#e"},
    {"overflow_numbers", "0 2 0 | 5#x#y#z#w#k"},
    {"huge_counts", "0 1 0 | 1#A#b#c#d#e"},
    {"nul_bytes", "1 1 1 | 5#ab#de#5.png#fr#Sat | 5#13.0#e"},
    {"invalid_utf8",
     "1 1 1 | 5#\xFF\xFE\xC3#\xC3\xA9\xE2\x82#\x80\x80.png#\xF0\x9F#\xED\xA0\x80 | "
     "5#13.0#\xC3"},
    {"unsafe_names", "0 2 0 | 2#B#.#..#/abs#k"},
    {"past_the_caps", "1 6 9 | 6#Match 6#de#m6.png#fr#Sat 20:46 | 3#1.0#w"},
};

void PrintTo(const LoaderCase& c, std::ostream* os) {
    *os << c.file;
}

class ListingsLoaderTest : public testing::TestWithParam<LoaderCase> {};

TEST_P(ListingsLoaderTest, ReadsTheFileAndRemovesIt) {
    const std::string file = GetParam().file;
    const std::string corpus = MATCHRAY_SOURCE_DIR "/fuzz/corpus/listings_loader/";
    TempRoot root;
    placeFile(root, corpus, file);
    EXPECT_EQ(describe(ListingsLoader::load("/tmp/psn")), GetParam().expected);
    EXPECT_FALSE(root.exists("/tmp/psn"));
    if (file == "(link)") {
        EXPECT_EQ(root.readFile("/elsewhere"), readBinary(corpus + "sample"));
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ListingsLoaderTest, testing::ValuesIn(loaderCases),
                         caseName<LoaderCase>);

std::string describe(const match_ray_channels& c) {
    return std::to_string(c.id_a) + "#" + std::to_string(c.id_b) + "#" + shown(c.name) + "#" +
           c.sat_position + "#" + c.sat_direction + "#" + c.frequency + "#" + c.polarisation + "#" +
           std::to_string(c.symbol_rate) + "#" + c.fec + "#" + shown(c.encryption) + "#" +
           std::to_string(c.hd);
}

struct ChannelCase {
    const char* file;      // in fuzz/corpus/channel_file/; "(missing)" or "(link)" to the sample
    const char* expected;  // "RESULT COUNT | last channel"
};

const ChannelCase channelCases[] = {
    {"(missing)", "1 0"},
    {"(link)", "1 0"},
    {"sample", "0 3 | 101#3#Free Sports#1.0#w#10872#H#27500#5/6#FTA#0"},
    {"crlf", "0 3 | 101#3#Free Sports#1.0#w#10872#H#27500#5/6#FTA#0"},
    {"blanks_in_name", "0 1 | 1#1#Sport Klub 1 HD#13.0#e#10719#V#27500#5/6#Viaccess 2.6#1"},
    {"surplus", "0 1 | 1#1#A#13.0#e#1#V#2#3/4#FTA#0"},
    {"zero", "0 0"},
    {"negative", "0 0"},
    {"empty", "2 0"},
    {"word_count", "2 0"},
    {"fewer_lines", "2 0"},
    {"bad_line", "2 0"},
    {"empty_field", "2 0"},
    {"partly_readable", "0 2 | 3#4#Second#b#c#d#e#1#f#g#1"},
    {"overlong_utf8",
     "0 1 | 1#1#<98 bytes>#\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0#\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9#"
     "111111111#\xE2\x85\xA4\xE2\x85\xA4\xE2\x85\xA4#27500#\xC2\xBD\xC2\xBD\xC2\xBD\xC2\xBD#<99 "
     "bytes>#1"},
    {"overflow_numbers", "0 1 | 2147483647#-2147483648#A#13.0#e#1#V#2147483647#3/4#FTA#2147483647"},
    {"huge_count", "2 0"},
    {"nul_bytes", "0 1 | 1#1#A#13.0#e#1#V#2#3/4#FT#0"},
    {"invalid_utf8", "0 1 | 1#1#\xFF\xC3#13.0\xE2#e#1#V#2#3/4#\xED\xA0\x80#0"},
    // Read with a cap of 3 channels.
    {"past_the_caps", "0 3 | 3#1#Channel 3#13.0#e#11034#V#27500#3/4#FTA#1"},
};

void PrintTo(const ChannelCase& c, std::ostream* os) {
    *os << c.file;
}

class ChannelFileReaderTest : public testing::TestWithParam<ChannelCase> {};

TEST_P(ChannelFileReaderTest, ReadsTheCountedLines) {
    const std::string file = GetParam().file;
    const std::string corpus = MATCHRAY_SOURCE_DIR "/fuzz/corpus/channel_file/";
    TempRoot root;
    placeFile(root, corpus, file);
    std::list<match_ray_channels> channels;
    const auto result = ChannelFileReader::read("/tmp/psn", channels, 3);
    std::string text = std::to_string(int(result)) + " " + std::to_string(channels.size());
    if (!channels.empty()) text += " | " + describe(channels.back());
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Corpus, ChannelFileReaderTest, testing::ValuesIn(channelCases),
                         caseName<ChannelCase>);

}  // namespace
