#include "ChannelRequest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <mutex>

#include "LoopbackServer.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

class ChannelRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.server().Post(ChannelRequest::scriptPath,
                             [this](const httplib::Request&, httplib::Response& response) {
                                 std::lock_guard<std::mutex> lock(mutex);
                                 response.status = status;
                                 response.set_content(answer, "text/plain");
                             });
        server.start();
        eConfig::instance()->setKey("/matchray/listings_host", server.hostPort().c_str());
    }
    void TearDown() override { server.stop(); }

    void answerWith(int code, const std::string& body) {
        std::lock_guard<std::mutex> lock(mutex);
        status = code;
        answer = body;
    }

    // Reads an answer file as the slot does; the file must be gone afterwards.
    bool read(const std::string& file, std::list<match_ray_channels>& channels) {
        root.writeFile("/tmp/psn", file);
        const bool ok = ChannelRequest::readAnswer(channels);
        EXPECT_FALSE(root.exists("/tmp/psn"));
        return ok;
    }

    TempRoot root;
    LoopbackServer server;
    std::mutex mutex;
    int status = 200;
    std::string answer;
};

}  // namespace

TEST_F(ChannelRequestTest, PostsTheBodyByteForByte) {
    answerWith(200, "1\n5#6#Name#13.0#e#11013#H#27500#3/4#FTA#1\n");
    EXPECT_EQ(ChannelRequest::fetch(42, 2, "0a:1b:2c:3d:4e:5f"), ChannelRequest::Transfer::done);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/pitchsidenew/matchray_channels_dm.php");
    EXPECT_EQ(requests[0].body, "id=42&f=2&m=0a:1b:2c:3d:4e:5f");
    EXPECT_EQ(requests[0].userAgent, "PS");
    // The answer is stored as it arrived.
    EXPECT_EQ(root.readFile("/tmp/psn"), "1\n5#6#Name#13.0#e#11013#H#27500#3/4#FTA#1\n");
    EXPECT_EQ(ChannelRequest::url(),
              "http://" + server.hostPort() + "/pitchsidenew/matchray_channels_dm.php");
}

TEST_F(ChannelRequestTest, TheDeviceIdentityIsSentUnescaped) {
    EXPECT_EQ(ChannelRequest::body(-7, 0, "a b+c&d"), "id=-7&f=0&m=a b+c&d");
    answerWith(200, "0\n");
    ChannelRequest::fetch(1, 3, "00:00:00:00:00:00");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].body, "id=1&f=3&m=00:00:00:00:00:00");
}

TEST_F(ChannelRequestTest, ErrorStatusesAndRefusedConnectionsFail) {
    answerWith(404, "not here");
    EXPECT_EQ(ChannelRequest::fetch(1, 0, "x"), ChannelRequest::Transfer::failed);
    answerWith(500, "broken");
    EXPECT_EQ(ChannelRequest::fetch(1, 0, "x"), ChannelRequest::Transfer::failed);
    server.stop();
    EXPECT_EQ(ChannelRequest::fetch(1, 0, "x"), ChannelRequest::Transfer::failed);
}

TEST_F(ChannelRequestTest, NeverWritesThroughASymbolicLink) {
    root.writeFile("/tmp/target", "precious");
    ASSERT_EQ(symlink(root.real("/tmp/target").c_str(), root.real("/tmp/psn").c_str()), 0);
    answerWith(200, "0\n");
    EXPECT_EQ(ChannelRequest::fetch(1, 0, "x"), ChannelRequest::Transfer::cannotCreateFile);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(root.readFile("/tmp/target"), "precious");
}

TEST_F(ChannelRequestTest, ReadsTheCountedLinesInFileOrder) {
    std::list<match_ray_channels> channels;
    ASSERT_TRUE(
        read("2\n"
             "1#2#Sport One HD#13.0#e#11013#H#27500#3/4#Free To Air#1\r\n"
             "3#4#Sport Two#19.2#e#11700#V#22000#5/6#Crypt A#0\n"
             "5#6#Surplus#1.0#w#1#H#1#1/2#x#0\n",
             channels));
    ASSERT_EQ(channels.size(), 2u);
    EXPECT_EQ(channels.front().name, "Sport One HD");
    EXPECT_EQ(channels.front().hd, 1);
    EXPECT_EQ(channels.back().name, "Sport Two");
}

TEST_F(ChannelRequestTest, ZeroOrNegativeCountsGiveNoChannels) {
    for (const char* file : {"0\n", "-4\n1#2#A#13.0#e#1#H#1#1#x#0\n"}) {
        std::list<match_ray_channels> channels;
        EXPECT_TRUE(read(file, channels)) << file;
        EXPECT_TRUE(channels.empty());
    }
}

TEST_F(ChannelRequestTest, ShortOrEmptyFilesAreRejected) {
    for (const char* file : {"", "\n", "x\n", "2\n1#2#A#13.0#e#1#H#1#1#x#0\n"}) {
        std::list<match_ray_channels> channels;
        EXPECT_FALSE(read(file, channels)) << file;
        EXPECT_TRUE(channels.empty());
    }
}

TEST_F(ChannelRequestTest, AMissingFileGivesNoChannels) {
    std::list<match_ray_channels> channels;
    EXPECT_TRUE(ChannelRequest::readAnswer(channels));
    EXPECT_TRUE(channels.empty());
}

TEST_F(ChannelRequestTest, BlanksInsideTextFieldsAreKept) {
    std::list<match_ray_channels> channels;
    ASSERT_TRUE(
        read("1\n1#2#  Wide  Name #13.0 #e#11 013# H#27500#3 / 4#Free To Air#0\n", channels));
    ASSERT_EQ(channels.size(), 1u);
    EXPECT_EQ(channels.front().name, "  Wide  Name ");
    EXPECT_EQ(channels.front().sat_position, "13.0 ");
    EXPECT_EQ(channels.front().frequency, "11 013");
    EXPECT_EQ(channels.front().polarisation, " H");
    EXPECT_EQ(channels.front().fec, "3 / 4");
}
