#include "ChannelFileReader.h"
#include "ListingsLoader.h"

#include <gtest/gtest.h>

#include "EntryRecorder.h"
#include "TempRoot.h"

namespace {

// Fields joined by '#', each as it is or, when long, as its length.
std::string join(std::initializer_list<std::string> fields) {
    std::string text;
    for (const std::string& f : fields)
        text += (&f == fields.begin() ? "" : "#") +
                (f.size() > 16 ? "<" + std::to_string(f.size()) + " bytes>" : f);
    return text;
}

// "STATUS#MATCHES#SATELLITES | last match | last satellite"; the listings file is removed.
std::string loadListings() {
    const ListingsLoader::Result r = ListingsLoader::load("/tmp/psn");
    std::string text = join({std::to_string(r.status), std::to_string(r.matches.size()),
                             std::to_string(r.satellites.size())});
    const matchray_matches& m = r.matches.empty() ? matchray_matches() : r.matches.back();
    const matchray_satellites& s =
        r.satellites.empty() ? matchray_satellites() : r.satellites.back();
    if (!r.matches.empty())
        text += " | " +
                join({std::to_string(m.id), m.title, m.country1, m.picture, m.country2, m.kickoff});
    if (!r.satellites.empty())
        text += " | " + join({std::to_string(s.match_id), s.sat_position, s.sat_direction});
    return text;
}

// "RESULT#CHANNELS | last channel", read with a cap of 3 channels.
std::string readChannels() {
    std::list<match_ray_channels> channels;
    std::string text = join({std::to_string(int(ChannelFileReader::read("/tmp/psn", channels, 3))),
                             std::to_string(channels.size())});
    const match_ray_channels& c = channels.empty() ? match_ray_channels() : channels.back();
    if (!channels.empty())
        text += " | " +
                join({std::to_string(c.id_a), std::to_string(c.id_b), c.name, c.sat_position,
                      c.sat_direction, c.frequency, c.polarisation, std::to_string(c.symbol_rate),
                      c.fec, c.encryption, std::to_string(c.hd)});
    return text;
}

struct ReaderCase {
    const char* file;  // under fuzz/corpus/, or "(missing)"
    const char* expected;
};

const ReaderCase readerCases[] = {
    {"listings_loader/(missing)", "1#0#0"},
    {"listings_loader/sample", "1#3#4 | 103#<24 bytes>#rs#103.png#mk#Mon 21:00 | 103#28.2#e"},
    {"listings_loader/crlf", "1#3#4 | 103#<24 bytes>#rs#103.png#mk#Mon 21:00\r | 103#28.2#e\r"},
    {"listings_loader/empty", "0#0#0"},
    {"listings_loader/word_count", "0#0#0"},
    {"listings_loader/zero_counts", "1#0#0"},
    {"listings_loader/negative_counts", "1#0#0"},
    {"listings_loader/fewer_lines", "0#1#0 | 1#A v B#de#1.png#fr#Sat 20:00"},
    {"listings_loader/bad_match_line", "0#1#0 | 1#A#a#a.png#b#now"},
    {"listings_loader/bad_satellite_count", "0#1#0 | 1#A#a#a.png#b#now"},
    {"listings_loader/surplus_match_line", "0#1#0 | 1#A#a#a.png#b#now"},
    {"listings_loader/bad_satellite_line", "0#1#1 | 1#A#a#a.png#b#now | 1#13.0#e"},
    {"listings_loader/surplus_satellites", "1#1#1 | 7#A v B#de#7.png#fr#Sat | 7#13.0#e"},
    {"listings_loader/hash_in_kickoff", "1#1#1 | 7#A v B#de#7.png#fr#Sat #1 20:00 | 7#13.0#e"},
    // A line that stops early keeps the values of the line before in the rest.
    {"listings_loader/partly_readable", "0#2#0 | 2#B#a#a.png#b#now"},
    // Over their capacities, fields are cut, never inside a UTF-8 sequence.
    {"listings_loader/overlong_utf8",
     "1#1#1 | 9#<198 bytes>#<18 bytes>#<18 bytes>#<18 bytes>#"
     "<48 bytes> | 9#\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0#"
     "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},
    // Four-byte sequences, stray continuation bytes, a field that fills its capacity, a NUL byte.
    {"listings_loader/overlong_mixed", "1#1#0 | 1#<196 bytes>#<19 bytes>#p.png#<19 bytes>#k"},
    {"listings_loader/saturated_ids", "1#1#1 | 2147483647#A#a#a.png#b#now | -2147483648#13.0#e"},
    {"listings_loader/huge_counts", "0#1#0 | 1#A#b#c#d#e"},
    {"channel_file/(missing)", "1#0"},
    {"channel_file/sample", "0#3 | 101#3#Free Sports#1.0#w#10872#H#27500#5/6#FTA#0"},
    {"channel_file/surplus", "0#1 | 1#1#A#13.0#e#1#V#2#3/4#FTA#0"},
    {"channel_file/zero", "0#0"},
    {"channel_file/negative", "0#0"},
    {"channel_file/empty", "2#0"},
    {"channel_file/fewer_lines", "2#0"},
    {"channel_file/bad_line", "2#0"},
    {"channel_file/partly_readable", "0#2 | 3#4#Second#b#c#d#e#1#f#g#1"},
    {"channel_file/overlong_utf8",
     "0#1 | 1#1#<98 bytes>#\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0#\xC3\xA9"
     "\xC3\xA9\xC3\xA9\xC3\xA9#111111111#\xE2\x85\xA4\xE2\x85\xA4"
     "\xE2\x85\xA4#27500#\xC2\xBD\xC2\xBD\xC2\xBD\xC2\xBD#<99 bytes>#1"},
    {"channel_file/past_the_caps", "0#3 | 3#1#Channel 3#13.0#e#11034#V#27500#3/4#FTA#1"},
};

class ListingsAndChannelFiles : public testing::TestWithParam<ReaderCase> {};

TEST_P(ListingsAndChannelFiles, ReadAsExpected) {
    const std::string file = GetParam().file, folder = file.substr(0, file.find('/'));
    TempRoot root;
    if (file.find("(missing)") == std::string::npos)
        root.writeFile("/tmp/psn", readBinary(MATCHRAY_SOURCE_DIR "/fuzz/corpus/" + file));
    EXPECT_EQ(folder == "channel_file" ? readChannels() : loadListings(), GetParam().expected);
    EXPECT_TRUE(folder == "channel_file" || !root.exists("/tmp/psn")) << "the loader removes it";
}

INSTANTIATE_TEST_SUITE_P(Corpus, ListingsAndChannelFiles, testing::ValuesIn(readerCases),
                         [](const testing::TestParamInfo<ReaderCase>& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (!isalnum(c)) c = '_';
                             return name;
                         });

}  // namespace
