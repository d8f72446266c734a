// The request's transfer is pinned by the main window's tests; here, its body and the answer file.
#include "ChannelRequest.h"

#include <gtest/gtest.h>

#include "TempRoot.h"

namespace {

TEST(ChannelRequest, BodyCarriesItsFieldsUnescaped) {
    EXPECT_EQ(ChannelRequest::body(42, 2, "0a:1b:2c:3d:4e:5f"), "id=42&f=2&m=0a:1b:2c:3d:4e:5f");
    EXPECT_EQ(ChannelRequest::body(-7, 0, "a b+c&d"), "id=-7&f=0&m=a b+c&d");
}

// Read or not, the file is gone afterwards.
TEST(ChannelRequest, AnswerFileReadsAsItsCaseSays) {
    const struct {
        const char* answer;  // null: no file
        bool read;
        size_t channels;
    } cases[] = {{"1\n5#6#Name#13.0#e#11013#H#27500#3/4#FTA#1\n", true, 1},
                 {"2\n1#2#A#13.0#e#1#H#1#1#x#0\n", false, 0},  // a line short: none kept
                 {nullptr, true, 0}};
    for (const auto& c : cases) {
        TempRoot root;
        if (c.answer) root.writeFile("/tmp/psn", c.answer);
        std::list<match_ray_channels> channels;
        EXPECT_EQ(ChannelRequest::readAnswer(root.real("/tmp/psn"), channels), c.read);
        EXPECT_EQ(channels.size(), c.channels);
        EXPECT_FALSE(root.exists("/tmp/psn"));
    }
}

}  // namespace
