// Only regular files under /tmp, never through a link.
#include "SafeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempRoot.h"

namespace {

TEST(SafeFile, WritesOverAnExistingFileFromTheStart) {
    TempRoot root;
    root.writeFile("/tmp/psn", "old and long");
    UniqueFile file{SafeFile::openForWrite(root.real("/tmp/psn"))};
    fputs("new", file.get());
    file.reset();
    EXPECT_EQ(root.readFile("/tmp/psn"), "new");
}

TEST(SafeFile, OpensNothingButARegularFile) {
    TempRoot root;
    root.writeFile("/victim.png", "keep");
    ASSERT_EQ(symlink(root.real("/victim.png").c_str(), root.real("/tmp/link.png").c_str()), 0);
    ASSERT_EQ(symlink(root.real("/absent").c_str(), root.real("/tmp/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(root.real("/tmp/fifo").c_str(), 0600), 0);  // opening it must not block
    for (const char* path : {"/tmp/link.png", "/tmp/dangling", "/tmp/fifo", "/tmp"})
        EXPECT_FALSE(SafeFile::openForWrite(root.real(path)) ||
                     SafeFile::openForRead(root.real(path)))
            << path;
    EXPECT_EQ(root.readFile("/victim.png"), "keep");
}

TEST(SafeFile, TakesOnlyANameThatStaysInItsFolder) {
    for (const char* name : {"m7.png", "..png", "a b.png"}) EXPECT_TRUE(SafeFile::isSafeName(name));
    for (const char* name : {"", ".", "..", "../psn", "a/b.png"})
        EXPECT_FALSE(SafeFile::isSafeName(name)) << name;
    EXPECT_FALSE(SafeFile::isSafeName(std::string("a\0b", 3)));
}

TEST(SafeFile, PercentEncodesWhatAPathSegmentCantHold) {
    EXPECT_EQ(
        SafeFile::urlEncodePathSegment("m7-x_y.z~!$&'()*+,;=:@a b%c?d#e\x01\x7F\xC3\xA9<\"|\\>"),
        "m7-x_y.z~!$&'()*+,;=:@a%20b%25c%3Fd%23e%01%7F%C3%A9%3C%22%7C%5C%3E");
}

}  // namespace
