#include "PictureDownloader.h"

#include <gtest/gtest.h>

#include "LoopbackServer.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

using Delivery = LoopbackServer::Answer::Delivery;

class PictureDownloaderTest : public testing::Test {
protected:
    ~PictureDownloaderTest() override {
        eConfig::instance()->delKey("/matchray/picture_pass_timeout");
    }

    // Runs a pass into the root's /tmp; the paths of the requests so far, "PATH|" each.
    std::string pass(const std::vector<const char*>& pictures) {
        eConfig::instance()->setKey("/matchray/pictures_host", server.hostPort().c_str());
        std::list<matchray_matches> matches;
        for (const char* picture : pictures) matches.emplace_back().picture = picture;
        testing::internal::CaptureStdout();
        PictureDownloader::run(root.real("/tmp/"), matches);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Zavrsio thread1\n");
        std::string paths;
        for (const auto& request : server.requests()) {
            paths += request.path + "|";
            EXPECT_EQ(request.method + " " + request.userAgent,
                      "GET Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ "
                      "(KHTML, like Gecko) Version/3.0 Mobile/1A543a Safari/419.3");
        }
        return paths;
    }

    TempRoot root;
    LoopbackServer server;
};

TEST_F(PictureDownloaderTest, FetchesEachMissingPictureOnce) {
    server.answer("/fix/a.png", answer("picture a"));
    server.answer("/fix/my%20pic%20%C3%A9%231.png", answer("e"));
    root.writeFile("/tmp/b.png", "kept");
    EXPECT_EQ(pass({"a.png", "a.png", "b.png", "my pic \xC3\xA9#1.png"}),
              "/fix/a.png|/fix/my%20pic%20%C3%A9%231.png|");
    EXPECT_EQ(root.readFile("/tmp/a.png") + "|" + root.readFile("/tmp/b.png") + "|" +
                  root.readFile("/tmp/my pic \xC3\xA9#1.png"),
              "picture a|kept|e");
    EXPECT_EQ(pass({}), "/fix/a.png|/fix/my%20pic%20%C3%A9%231.png|") << "an empty pass ends too";
}

TEST_F(PictureDownloaderTest, AsksForNoUnsafeName) {
    EXPECT_EQ(pass({"../evil.png", "sub/x.png", ".", "..", "", "/abs.png"}), "");
    for (const char* gone : {"/evil.png", "/tmp/sub", "/tmp//abs.png"})
        EXPECT_FALSE(root.exists(gone)) << gone;
}

// A refused picture leaves its empty file; a cut one leaves nothing.
TEST_F(PictureDownloaderTest, KeepsNothingOfAFailedPicture) {
    server.answer("/fix/missing.png", answer("not here", 404));
    server.answer("/fix/cut.png", answer(Delivery::cut));
    pass({"missing.png", "cut.png"});
    EXPECT_EQ(root.readFile("/tmp/missing.png"), "");
    EXPECT_FALSE(root.exists("/tmp/cut.png"));
}

TEST_F(PictureDownloaderTest, FetchesAllOverOneConnection) {
    for (const char* path : {"/fix/a.png", "/fix/b.png"}) server.answer(path, answer("p"));
    pass({"a.png", "b.png"});
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].connection, server.requests()[0].connection);
}

TEST_F(PictureDownloaderTest, SkipsWhatIsLeftOnceThePassBudgetIsSpent) {
    eConfig::instance()->setKey("/matchray/picture_pass_timeout", "1");
    server.answer("/fix/slow.png", answer(Delivery::stall));
    EXPECT_EQ(pass({"slow.png", "later.png"}), "/fix/slow.png|");
    EXPECT_FALSE(root.exists("/tmp/slow.png") || root.exists("/tmp/later.png"));
}

}  // namespace
