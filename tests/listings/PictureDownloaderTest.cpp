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

// Runs a pass into the root's /tmp on the server; the requests so far, "PATH|" each.
std::string pass(const TempRoot& root, LoopbackServer& server,
                 const std::vector<const char*>& pictures) {
    eConfig::instance()->setKey("/matchray/pictures_host", server.hostPort().c_str());
    testing::internal::CaptureStdout();
    PictureDownloader::run(root.real("/tmp/"), matchesWith(pictures));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Zavrsio thread1\n");
    std::string paths;
    for (const auto& request : server.requests()) {
        paths += request.path + "|";
        EXPECT_EQ(request.method + " " + request.userAgent,
                  "GET Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ (KHTML, "
                  "like Gecko) Version/3.0 Mobile/1A543a Safari/419.3");
    }
    return paths;
}

TEST(PictureDownloaderTest, FetchesWhatIsMissingOnceAndNothingUnsafe) {
    TempRoot root;
    LoopbackServer server;
    EXPECT_EQ(pass(root, server, {}), "") << "an empty pass ends as well";
    server.answer("/fix/a.png", answer("picture a"));
    server.answer("/fix/my%20pic%20%C3%A9%231.png", answer("e"));
    server.answer("/fix/missing.png", answer("not here", 404));
    server.answer("/fix/cut.png", answer(LoopbackServer::Answer::Delivery::cut));
    root.writeFile("/tmp/b.png", "kept");
    const std::vector<const char*> names = {
        "a.png", "a.png", "b.png",    "my pic \xC3\xA9#1.png", "../evil.png", "sub/x.png", ".",
        "..",    "",      "/abs.png", "missing.png",           "cut.png"};
    const std::string fetched = "/fix/a.png|/fix/my%20pic%20%C3%A9%231.png|/fix/missing.png|";
    EXPECT_EQ(pass(root, server, names), fetched + "/fix/cut.png|");
    std::string files;
    for (const char* name : {"a.png", "b.png", "my pic \xC3\xA9#1.png", "missing.png"})
        files += root.readFile(std::string("/tmp/") + name) + "|";
    EXPECT_EQ(files, "picture a|kept|e||") << "a refused picture leaves its empty file";
    for (const char* gone : {"/tmp/cut.png", "/evil.png", "/tmp/sub", "/tmp//abs.png"})
        EXPECT_FALSE(root.exists(gone)) << gone;
    EXPECT_EQ(server.requests()[1].connection, server.requests()[0].connection) << "one for all";
    // Past the pass's budget, no picture is fetched.
    eConfig::instance()->setKey("/matchray/picture_pass_timeout", "1");
    server.answer("/fix/slow.png", answer(LoopbackServer::Answer::Delivery::stall));
    EXPECT_EQ(pass(root, server, {"slow.png", "later.png"}),
              fetched + "/fix/cut.png|/fix/slow.png|");
    EXPECT_FALSE(root.exists("/tmp/slow.png") || root.exists("/tmp/later.png"));
}

// Only regular files under /tmp, never through a link; stale pictures go, but no link's target.
TEST(SafeFileTest, OpensOnlyRegularFilesNeverThroughALinkAndRemovesStalePictures) {
    TempRoot root;
    root.writeFile("/tmp/psn", "old and long");
    UniqueFile file{SafeFile::openForWrite(root.real("/tmp/psn"))};
    fputs("new", file.get());
    file.reset();
    EXPECT_EQ(root.readFile("/tmp/psn"), "new") << "written over from the start";
    root.writeFile("/victim.png", "keep");
    ASSERT_EQ(symlink(root.real("/victim.png").c_str(), root.real("/tmp/link.png").c_str()), 0);
    ASSERT_EQ(symlink(root.real("/absent").c_str(), root.real("/tmp/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(root.real("/tmp/fifo").c_str(), 0600), 0);  // opening it must not block
    for (const char* path : {"/tmp/link.png", "/tmp/dangling", "/tmp/fifo", "/tmp"})
        EXPECT_FALSE(SafeFile::openForWrite(root.real(path)) ||
                     SafeFile::openForRead(root.real(path)))
            << path;
    for (const char* name :
         {"/tmp/m7.png", "/tmp/abc", "/tmp/a.png.txt", "/tmp/M7.PNG", "/tmp/old.png", "/tmp/.png"})
        root.writeFile(name, "x");
    ASSERT_EQ(mkdir(root.real("/tmp/dir.png").c_str(), 0700), 0);
    StalePictures::remove(root.real("/tmp"), matchesWith({"m7.png"}));
    for (const char* name :
         {"/tmp/m7.png", "/tmp/abc", "/tmp/a.png.txt", "/tmp/M7.PNG", "/tmp/psn", "/tmp/dir.png"})
        EXPECT_TRUE(root.exists(name)) << name;
    for (const char* name : {"/tmp/old.png", "/tmp/.png", "/tmp/link.png"})
        EXPECT_FALSE(root.exists(name)) << name;
    EXPECT_EQ(root.readFile("/victim.png"), "keep");
    std::filesystem::remove_all(root.real("/tmp"));
    StalePictures::remove(root.real("/tmp"), {});  // a missing folder is skipped
    for (const char* name : {"m7.png", "..png", "a b.png"}) EXPECT_TRUE(SafeFile::isSafeName(name));
    for (const char* name : {"", ".", "..", "../psn", "a/b.png"})
        EXPECT_FALSE(SafeFile::isSafeName(name)) << name;
    EXPECT_FALSE(SafeFile::isSafeName(std::string("a\0b", 3)));
    EXPECT_EQ(
        SafeFile::urlEncodePathSegment("m7-x_y.z~!$&'()*+,;=:@a b%c?d#e\x01\x7F\xC3\xA9<\"|\\>"),
        "m7-x_y.z~!$&'()*+,;=:@a%20b%25c%3Fd%23e%01%7F%C3%A9%3C%22%7C%5C%3E");
}

}  // namespace
