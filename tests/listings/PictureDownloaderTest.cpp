#include "PictureDownloader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "LoopbackServer.h"
#include "SafeFile.h"
#include "StalePictures.h"
#include "TempRoot.h"
#include "eConfig.h"

namespace {

std::list<matchray_matches> matchesWith(const std::vector<const char*>& pictures) {
    std::list<matchray_matches> matches;
    for (const char* picture : pictures) matches.emplace_back().picture = picture;
    return matches;
}

class PictureDownloaderTest : public testing::Test {
protected:
    void SetUp() override {
        eConfig::instance()->setKey("/matchray/pictures_host", server.hostPort().c_str());
    }
    // Runs a pass; the requested paths so far.
    std::vector<std::string> run(const std::vector<const char*>& pictures) {
        testing::internal::CaptureStdout();
        PictureDownloader::run(matchesWith(pictures));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Zavrsio thread1\n");
        std::vector<std::string> paths;
        for (const auto& request : server.requests()) paths.push_back(request.path);
        return paths;
    }

    TempRoot root;
    LoopbackServer server;
};

TEST_F(PictureDownloaderTest, FetchesWhatIsMissingOnceAndNothingUnsafe) {
    const struct {
        const char* name;
        const char* path;  // requested as, or not requested
        LoopbackServer::Answer reply;
        const char* after;  // "/tmp/NAME" afterwards, "(none)"; "*": not looked at
    } pictures[] = {
        {"a.png", "/fix/a.png", answer("picture a"), "picture a"},
        {"a.png", nullptr, {}, "picture a"},
        {"b.png", nullptr, {}, "kept"},
        {"my pic \xC3\xA9#1.png", "/fix/my%20pic%20%C3%A9%231.png", answer("e"), "e"},
        {"missing.png", "/fix/missing.png", answer("not here", 404), ""},
        {"held.png", nullptr, {}, "keep"},  // a link to a file: neither read nor written
        {"link.png", nullptr, {}, "*"},     // a link to nothing: its target is not created
        {"../evil.png", nullptr, {}, "(none)"},
        {"sub/x.png", nullptr, {}, "(none)"},
        {"/abs.png", nullptr, {}, "(none)"},
        {".", nullptr, {}, "*"},
        {"..", nullptr, {}, "*"},
        {"", nullptr, {}, "*"},
        {"cut.png", "/fix/cut.png", answer(LoopbackServer::Answer::Delivery::cut), "(none)"},
    };
    root.writeFile("/tmp/b.png", "kept");
    root.writeFile("/victim", "keep");
    ASSERT_EQ(symlink(root.real("/victim").c_str(), root.real("/tmp/held.png").c_str()), 0);
    ASSERT_EQ(symlink(root.real("/created").c_str(), root.real("/tmp/link.png").c_str()), 0);
    std::vector<const char*> names;
    std::vector<std::string> fetched;
    for (const auto& p : pictures) {
        names.push_back(p.name);
        if (p.path) server.answer(p.path, p.reply), fetched.push_back(p.path);
    }
    EXPECT_EQ(run(names), fetched);
    for (const auto& p : pictures) {
        const std::string path = std::string("/tmp/") + p.name;
        if (*p.after != '*') {
            EXPECT_EQ(root.exists(path) ? root.readFile(path) : "(none)", p.after) << path;
        }
    }
    EXPECT_FALSE(root.exists("/created"));
    const auto requests = server.requests();
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].method, "GET");
        EXPECT_EQ(requests[i].userAgent,
                  "Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ (KHTML, like "
                  "Gecko) Version/3.0 Mobile/1A543a Safari/419.3");
        // Until an error status ends it, the pass keeps one connection.
        EXPECT_TRUE(i > 1 || requests[i].connection == requests[0].connection);
    }
    // Only the removed partial picture is fetched again.
    fetched.push_back("/fix/cut.png");
    EXPECT_EQ(run(names), fetched);
}

TEST_F(PictureDownloaderTest, PicturesPastThePassBudgetAreSkipped) {
    eConfig::instance()->setKey("/matchray/picture_pass_timeout", "1");
    server.answer("/fix/slow.png", answer(LoopbackServer::Answer::Delivery::stall, "slow picture"));
    EXPECT_EQ(run({"slow.png", "later.png"}), std::vector<std::string>{"/fix/slow.png"});
    EXPECT_FALSE(root.exists("/tmp/slow.png"));
    EXPECT_FALSE(root.exists("/tmp/later.png"));
}

TEST(StalePicturesTest, RemovesOnlyPngFilesThatNoMatchNames) {
    TempRoot root;
    const char* kept[] = {"/tmp/m7.png", "/tmp/abc", "/tmp/notes.txt", "/tmp/a.png.txt",
                          "/tmp/M7.PNG", "/tmp/psn", "/victim.png"};
    for (const char* name : kept) root.writeFile(name, "x");
    for (const char* name : {"/tmp/old.png", "/tmp/.png"}) root.writeFile(name, "x");
    ASSERT_EQ(mkdir(root.real("/tmp/dir.png").c_str(), 0700), 0);
    ASSERT_EQ(symlink(root.real("/victim.png").c_str(), root.real("/tmp/link.png").c_str()), 0);
    StalePictures::remove(matchesWith({"m7.png"}));
    for (const char* name : kept) EXPECT_TRUE(root.exists(name)) << name;
    EXPECT_TRUE(root.exists("/tmp/dir.png"));
    for (const char* name : {"/tmp/old.png", "/tmp/.png", "/tmp/link.png"})
        EXPECT_FALSE(root.exists(name)) << name;
    std::filesystem::remove_all(root.real("/tmp"));
    StalePictures::remove({});  // a missing folder is skipped
}

TEST(SafeFileTest, OpensOnlyRegularFilesNeverThroughALinkAndSafeNames) {
    TempRoot root;
    root.writeFile("/tmp/psn", "old and long");
    UniqueFile file{SafeFile::openForWrite("/tmp/psn")};
    fputs("new", file.get());
    file.reset();
    EXPECT_EQ(root.readFile("/tmp/psn"), "new") << "written over from the start";
    root.writeFile("/victim", "keep");
    ASSERT_EQ(symlink(root.real("/victim").c_str(), root.real("/tmp/link").c_str()), 0);
    ASSERT_EQ(symlink(root.real("/absent").c_str(), root.real("/tmp/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(root.real("/tmp/fifo").c_str(), 0600), 0);  // opening it must not block
    for (const char* path : {"/tmp/link", "/tmp/dangling", "/tmp/fifo", "/tmp"}) {
        EXPECT_EQ(SafeFile::openForWrite(path), nullptr) << path;
        EXPECT_EQ(SafeFile::openForRead(path), nullptr) << path;
    }
    EXPECT_EQ(root.readFile("/victim"), "keep");
    EXPECT_FALSE(root.exists("/absent"));
    for (const char* name : {"m7.png", "..png", "a b.png"}) EXPECT_TRUE(SafeFile::isSafeName(name));
    for (const char* name : {"", ".", "..", "../psn", "a/b.png"})
        EXPECT_FALSE(SafeFile::isSafeName(name)) << name;
    EXPECT_FALSE(SafeFile::isSafeName(std::string("a\0b", 3)));
    EXPECT_EQ(SafeFile::urlEncodePathSegment("m7-x_y.z~!$&'()*+,;=:@.png"),
              "m7-x_y.z~!$&'()*+,;=:@.png");
    EXPECT_EQ(SafeFile::urlEncodePathSegment("a b%c?d#e\x01\x7F\xC3\xA9<\"|\\>"),
              "a%20b%25c%3Fd%23e%01%7F%C3%A9%3C%22%7C%5C%3E");
}

}  // namespace
