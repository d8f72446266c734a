#include "StalePictures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempRoot.h"

namespace {

TEST(StalePicturesTest, RemovesOnlyPngFilesThatNoMatchNames) {
    TempRoot root;
    for (const char* name : {"/tmp/old.png", "/tmp/m7.png", "/tmp/abc", "/tmp/notes.txt",
                             "/tmp/a.png.txt", "/tmp/M7.PNG", "/tmp/.png", "/tmp/psn"}) {
        root.writeFile(name, "x");
    }
    ASSERT_EQ(mkdir(root.real("/tmp/dir.png").c_str(), 0700), 0);
    root.writeFile("/victim.png", "keep");
    ASSERT_EQ(symlink(root.real("/victim.png").c_str(), root.real("/tmp/link.png").c_str()), 0);

    matchray_matches named;
    named.picture = "m7.png";
    StalePictures::remove({named});

    EXPECT_FALSE(root.exists("/tmp/old.png"));
    EXPECT_FALSE(root.exists("/tmp/.png"));
    EXPECT_FALSE(root.exists("/tmp/link.png")) << "the link goes";
    EXPECT_EQ(root.readFile("/victim.png"), "keep") << "its target stays";
    for (const char* name : {"/tmp/m7.png", "/tmp/abc", "/tmp/notes.txt", "/tmp/a.png.txt",
                             "/tmp/M7.PNG", "/tmp/psn", "/tmp/dir.png"}) {
        EXPECT_TRUE(root.exists(name)) << name;
    }
}

TEST(StalePicturesTest, MissingDirectoryIsSkipped) {
    TempRoot root;
    std::filesystem::remove_all(root.real("/tmp"));
    StalePictures::remove({});
    EXPECT_FALSE(root.exists("/tmp"));
}

}  // namespace
