#include "PictureDownloader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "LoopbackServer.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

matchray_matches match(const char* picture) {
    matchray_matches m;
    m.picture = picture;
    return m;
}

class PictureDownloaderTest : public testing::Test {
protected:
    void SetUp() override {
        server.server().Get(R"(/fix/(.*))",
                            [](const httplib::Request& req, httplib::Response& res) {
                                std::string name = req.matches[1];
                                if (name.rfind("missing", 0) == 0) {
                                    res.status = 404;
                                    res.set_content("not here", "text/plain");
                                    return;
                                }
                                res.set_content("picture " + name, "image/png");
                            });
        server.start();
        eConfig::instance()->setKey("/matchray/pictures_host", server.hostPort().c_str());
    }

    // Runs a pass and returns what it printed.
    std::string run(const std::list<matchray_matches>& matches) {
        testing::internal::CaptureStdout();
        PictureDownloader::run(matches);
        return testing::internal::GetCapturedStdout();
    }

    std::vector<std::string> paths() {
        std::vector<std::string> result;
        for (const auto& request : server.requests()) result.push_back(request.path);
        return result;
    }

    TempRoot root;
    LoopbackServer server;
};

TEST_F(PictureDownloaderTest, FetchesEveryMissingPictureOverOneConnection) {
    EXPECT_EQ(run({match("a.png"), match("b.png"), match("a.png"), match("c.jpg")}),
              "Zavrsio thread1\n");
    EXPECT_EQ(paths(), (std::vector<std::string>{"/fix/a.png", "/fix/b.png", "/fix/c.jpg"}));
    std::set<int> ports;
    for (const auto& request : server.requests()) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.userAgent,
                  "Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ (KHTML, like "
                  "Gecko) Version/3.0 Mobile/1A543a Safari/419.3");
        ports.insert(request.remotePort);
    }
    EXPECT_EQ(ports.size(), 1u) << "all pictures of a pass share one connection";
    EXPECT_EQ(root.readFile("/tmp/a.png"), "picture a.png");
    EXPECT_EQ(root.readFile("/tmp/c.jpg"), "picture c.jpg");
}

TEST_F(PictureDownloaderTest, PresentFileIsNotFetchedAgain) {
    root.writeFile("/tmp/a.png", "");
    root.writeFile("/tmp/b.png", "kept");
    run({match("a.png"), match("b.png")});
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(root.readFile("/tmp/b.png"), "kept");
}

TEST_F(PictureDownloaderTest, NotFoundLeavesAnEmptyFileThatIsNotFetchedAgain) {
    run({match("missing.png"), match("b.png")});
    EXPECT_TRUE(root.exists("/tmp/missing.png"));
    EXPECT_EQ(root.readFile("/tmp/missing.png"), "");
    EXPECT_EQ(root.readFile("/tmp/b.png"), "picture b.png");
    run({match("missing.png")});
    EXPECT_EQ(paths(), (std::vector<std::string>{"/fix/missing.png", "/fix/b.png"}));
}

TEST_F(PictureDownloaderTest, UnsafeNamesAreNeverRequestedOrWritten) {
    EXPECT_EQ(run({match("../evil.png"), match("sub/x.png"), match("."), match(".."), match(""),
                   match("/abs.png")}),
              "Zavrsio thread1\n");
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(root.exists("/evil.png"));
    EXPECT_FALSE(root.exists("/tmp/sub"));
    EXPECT_FALSE(root.exists("/abs.png"));
}

TEST_F(PictureDownloaderTest, NameIsPercentEncodedInTheUrlAndStoredUnchanged) {
    run({match("my pic \xC3\xA9#1.png")});
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(root.readFile("/tmp/my pic \xC3\xA9#1.png"), "picture my pic \xC3\xA9#1.png");
}

TEST_F(PictureDownloaderTest, SymbolicLinkAtAPicturePathIsNotFollowed) {
    root.writeFile("/victim", "keep");
    ASSERT_EQ(symlink(root.real("/victim").c_str(), root.real("/tmp/a.png").c_str()), 0);
    ASSERT_EQ(symlink(root.real("/created").c_str(), root.real("/tmp/b.png").c_str()), 0);
    run({match("a.png"), match("b.png")});
    EXPECT_EQ(root.readFile("/victim"), "keep");
    EXPECT_FALSE(root.exists("/created"));
}

TEST_F(PictureDownloaderTest, NoMatchesStillPrintsTheEndLine) {
    EXPECT_EQ(run({}), "Zavrsio thread1\n");
    EXPECT_TRUE(server.requests().empty());
}

}  // namespace
