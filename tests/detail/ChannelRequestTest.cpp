#include "ChannelRequest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "LoopbackServer.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

TEST(ChannelRequestTest, PostsTheRequestStoresTheAnswerAndRemovesItOnceRead) {
    TempRoot root;
    LoopbackServer server;
    eConfig::instance()->setKey("/matchray/listings_host", server.hostPort().c_str());
    const std::string file = "1\n5#6#Name#13.0#e#11013#H#27500#3/4#FTA#1\n";
    server.answer("/pitchsidenew/matchray_channels_dm.php", answer(file));
    EXPECT_EQ(ChannelRequest::fetch(42, 2, "0a:1b:2c:3d:4e:5f"), ChannelRequest::Transfer::done);
    ASSERT_EQ(server.requests().size(), 1u);
    const LoopbackServer::Request sent = server.requests()[0];
    EXPECT_EQ(sent.method + " " + sent.path + " " + sent.userAgent + " " + sent.body,
              "POST /pitchsidenew/matchray_channels_dm.php PS id=42&f=2&m=0a:1b:2c:3d:4e:5f");
    EXPECT_EQ(ChannelRequest::body(-7, 0, "a b+c&d"), "id=-7&f=0&m=a b+c&d") << "sent unescaped";
    EXPECT_EQ(root.readFile("/tmp/psn"), file);
    std::list<match_ray_channels> channels;
    EXPECT_TRUE(ChannelRequest::readAnswer(channels));
    EXPECT_EQ(channels.size(), 1u);
    EXPECT_FALSE(root.exists("/tmp/psn"));

    // A malformed answer gives no channels and is removed too; a missing one is no channels.
    root.writeFile("/tmp/psn", "2\n1#2#A#13.0#e#1#H#1#1#x#0\n");
    EXPECT_FALSE(ChannelRequest::readAnswer(channels = {}));
    EXPECT_FALSE(root.exists("/tmp/psn"));
    EXPECT_TRUE(ChannelRequest::readAnswer(channels) && channels.empty());

    // Nothing is sent when the answer can't be stored safely.
    root.writeFile("/tmp/target", "precious");
    ASSERT_EQ(symlink(root.real("/tmp/target").c_str(), root.real("/tmp/psn").c_str()), 0);
    EXPECT_EQ(ChannelRequest::fetch(1, 0, "x"), ChannelRequest::Transfer::cannotCreateFile);
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(root.readFile("/tmp/target"), "precious");
}

}  // namespace
