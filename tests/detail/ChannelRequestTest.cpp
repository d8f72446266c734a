// The request's transfer is pinned by the main window's tests; here, its body and the answer file.
#include "ChannelRequest.h"

#include <gtest/gtest.h>

#include "TempRoot.h"

namespace {

TEST(ChannelRequestTest, BodyIsUnescapedAndTheAnswerIsRemovedOnceRead) {
    TempRoot root;
    EXPECT_EQ(ChannelRequest::body(42, 2, "0a:1b:2c:3d:4e:5f"), "id=42&f=2&m=0a:1b:2c:3d:4e:5f");
    EXPECT_EQ(ChannelRequest::body(-7, 0, "a b+c&d"), "id=-7&f=0&m=a b+c&d");
    // A good answer, a malformed one (no channels), a missing one (no channels either).
    std::list<match_ray_channels> channels;
    root.writeFile("/tmp/psn", "1\n5#6#Name#13.0#e#11013#H#27500#3/4#FTA#1\n");
    EXPECT_TRUE(ChannelRequest::readAnswer(root.real("/tmp/psn"), channels) &&
                channels.size() == 1);
    EXPECT_FALSE(root.exists("/tmp/psn"));
    root.writeFile("/tmp/psn", "2\n1#2#A#13.0#e#1#H#1#1#x#0\n");
    EXPECT_FALSE(ChannelRequest::readAnswer(root.real("/tmp/psn"), channels = {}) ||
                 !channels.empty());
    EXPECT_FALSE(root.exists("/tmp/psn"));
    EXPECT_TRUE(ChannelRequest::readAnswer(root.real("/tmp/psn"), channels) && channels.empty());
}

}  // namespace
