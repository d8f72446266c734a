#include "ChannelFileReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "TempRoot.h"

namespace {

class ChannelFileReaderTest : public testing::Test {
protected:
    ChannelFileReader::Result read(const std::string& text) {
        channels.clear();
        root.writeFile("/tmp/psn", text);
        return ChannelFileReader::read("/tmp/psn", channels);
    }

    TempRoot root;
    std::list<match_ray_channels> channels;
};

using Result = ChannelFileReader::Result;

TEST_F(ChannelFileReaderTest, ReadsEveryFieldOfEveryCountedLine) {
    EXPECT_EQ(read("2\n"
                   "11#12#Sport Klub HD#16.0#e#11.678#v#27500#3/4#Free To Air#1\n"
                   "21#22#Arena#19.2#e#12.604#h#22000#5/6#Conax, Irdeto#0\n"),
              Result::ok);
    ASSERT_EQ(channels.size(), 2u);
    const match_ray_channels& c = channels.front();
    EXPECT_EQ(c.id_a, 11);
    EXPECT_EQ(c.id_b, 12);
    EXPECT_EQ(c.name, "Sport Klub HD");
    EXPECT_EQ(c.sat_position, "16.0");
    EXPECT_EQ(c.sat_direction, "e");
    EXPECT_EQ(c.frequency, "11.678");
    EXPECT_EQ(c.polarisation, "v");
    EXPECT_EQ(c.symbol_rate, 27500);
    EXPECT_EQ(c.fec, "3/4");
    EXPECT_EQ(c.encryption, "Free To Air");
    EXPECT_EQ(c.hd, 1);
    EXPECT_EQ(channels.back().name, "Arena");
    EXPECT_EQ(channels.back().encryption, "Conax, Irdeto");
    EXPECT_EQ(channels.back().hd, 0);
}

TEST_F(ChannelFileReaderTest, CountsOfZeroAndBelowGiveNoChannels) {
    EXPECT_EQ(read("0\n"), Result::ok);
    EXPECT_EQ(read("-4\n1#2#a#b#c#d#e#1#f#g#1\n"), Result::ok);
    EXPECT_TRUE(channels.empty());
}

TEST_F(ChannelFileReaderTest, SurplusLinesAreIgnoredAndCrLfIsWhiteSpace) {
    EXPECT_EQ(read("1\r\n1#2#a#b#c#d#e#1#f#g#1\r\n\r\n3#4#x#y#z#d#e#1#f#g#0\r\n"), Result::ok);
    ASSERT_EQ(channels.size(), 1u);
    EXPECT_EQ(channels.front().hd, 1);
}

TEST_F(ChannelFileReaderTest, MissingCountOrLinesDiscardEverything) {
    EXPECT_EQ(read(""), Result::malformed);
    EXPECT_EQ(read("none\n"), Result::malformed);
    EXPECT_EQ(read("3\n1#2#a#b#c#d#e#1#f#g#1\n"), Result::malformed);
    EXPECT_EQ(read("2\n1#2#a#b#c#d#e#1#f#g#1\n#2#a#b#c#d#e#1#f#g#1\n"), Result::malformed);
    EXPECT_TRUE(channels.empty());
}

TEST_F(ChannelFileReaderTest, PartlyReadableLineKeepsTheLineBeforesValues) {
    EXPECT_EQ(read("2\n1#2#First#b#c#d#e#1#f#g#1\n3#4#Second##c#d#e#1#f#g#0\n"), Result::ok);
    ASSERT_EQ(channels.size(), 2u);
    EXPECT_EQ(channels.back().name, "Second");
    EXPECT_EQ(channels.back().sat_position, "b");
    EXPECT_EQ(channels.back().hd, 1);
}

TEST_F(ChannelFileReaderTest, OverlongFieldsAreCutOnUtf8Boundaries) {
    std::string name;
    for (int i = 0; i < 60; ++i) name += "\xC5\xA1";  // 120 bytes
    EXPECT_EQ(read("1\n1#2#" + name + "#123456789012#e#11.678#v#27500#3/4#" +
                   std::string(120, 'x') + "#1\n"),
              Result::ok);
    ASSERT_EQ(channels.size(), 1u);
    EXPECT_EQ(channels.front().name, name.substr(0, 98));
    EXPECT_EQ(channels.front().sat_position, "123456789");
    EXPECT_EQ(channels.front().sat_direction, "e");
    EXPECT_EQ(channels.front().encryption, std::string(99, 'x'));
    EXPECT_EQ(channels.front().hd, 1);
}

TEST_F(ChannelFileReaderTest, MissingFileOrLinkCannotBeOpened) {
    EXPECT_EQ(ChannelFileReader::read("/tmp/psn", channels), Result::cannotOpen);
    root.writeFile("/target", "1\n1#2#a#b#c#d#e#1#f#g#1\n");
    ASSERT_EQ(symlink(root.real("/target").c_str(), root.real("/tmp/psn").c_str()), 0);
    EXPECT_EQ(ChannelFileReader::read("/tmp/psn", channels), Result::cannotOpen);
    EXPECT_TRUE(channels.empty());
}

}  // namespace
