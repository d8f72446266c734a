#include "SafeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempRoot.h"

namespace {

TEST(SafeFileTest, WritesAndTruncatesARegularFile) {
    TempRoot root;
    root.writeFile("/tmp/psn", "old and long");
    UniqueFile file{SafeFile::openForWrite("/tmp/psn")};
    ASSERT_TRUE(file);
    fputs("new", file.get());
    file.reset();
    EXPECT_EQ(root.readFile("/tmp/psn"), "new");
}

TEST(SafeFileTest, NeverWritesOrReadsThroughASymbolicLink) {
    TempRoot root;
    root.writeFile("/victim", "keep");
    ASSERT_EQ(symlink(root.real("/victim").c_str(), root.real("/tmp/psn").c_str()), 0);
    ASSERT_EQ(symlink(root.real("/absent").c_str(), root.real("/tmp/dangling").c_str()), 0);
    EXPECT_EQ(SafeFile::openForWrite("/tmp/psn"), nullptr);
    EXPECT_EQ(SafeFile::openForRead("/tmp/psn"), nullptr);
    EXPECT_EQ(SafeFile::openForWrite("/tmp/dangling"), nullptr);
    EXPECT_EQ(root.readFile("/victim"), "keep");
    EXPECT_FALSE(root.exists("/absent"));
}

TEST(SafeFileTest, RefusesFifosAndDirectoriesWithoutBlocking) {
    TempRoot root;
    ASSERT_EQ(mkfifo(root.real("/tmp/fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(root.real("/tmp/dir").c_str(), 0700), 0);
    EXPECT_EQ(SafeFile::openForWrite("/tmp/fifo"), nullptr);
    EXPECT_EQ(SafeFile::openForRead("/tmp/fifo"), nullptr);
    EXPECT_EQ(SafeFile::openForWrite("/tmp/dir"), nullptr);
    EXPECT_EQ(SafeFile::openForRead("/tmp/dir"), nullptr);
}

TEST(SafeFileTest, SafeNames) {
    EXPECT_TRUE(SafeFile::isSafeName("m7.png"));
    EXPECT_TRUE(SafeFile::isSafeName("..png"));
    EXPECT_TRUE(SafeFile::isSafeName("a b.png"));
    EXPECT_FALSE(SafeFile::isSafeName(""));
    EXPECT_FALSE(SafeFile::isSafeName("."));
    EXPECT_FALSE(SafeFile::isSafeName(".."));
    EXPECT_FALSE(SafeFile::isSafeName("../psn"));
    EXPECT_FALSE(SafeFile::isSafeName("a/b.png"));
    EXPECT_FALSE(SafeFile::isSafeName("/etc"));
    EXPECT_FALSE(SafeFile::isSafeName(std::string("a\0b", 3)));
}

TEST(SafeFileTest, PercentEncodesBytesThatCantStandInAPath) {
    EXPECT_EQ(SafeFile::urlEncodePathSegment("m7-x_y.z~!$&'()*+,;=:@.png"),
              "m7-x_y.z~!$&'()*+,;=:@.png");
    EXPECT_EQ(SafeFile::urlEncodePathSegment("a b%c?d#e"), "a%20b%25c%3Fd%23e");
    EXPECT_EQ(SafeFile::urlEncodePathSegment("\x01\t\x7F"), "%01%09%7F");
    EXPECT_EQ(SafeFile::urlEncodePathSegment("\xC3\xA9\xFF"), "%C3%A9%FF");
    EXPECT_EQ(SafeFile::urlEncodePathSegment("<\"|\\>"), "%3C%22%7C%5C%3E");
}

}  // namespace
