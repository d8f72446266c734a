#include "StalePictures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempRoot.h"

namespace {

// A link goes, but not its target.
TEST(StalePictures, RemovesOnlyThePngFilesNoMatchNames) {
    TempRoot root;
    root.writeFile("/victim.png", "keep");
    ASSERT_EQ(symlink(root.real("/victim.png").c_str(), root.real("/tmp/link.png").c_str()), 0);
    for (const char* name : {"/tmp/m7.png", "/tmp/abc", "/tmp/a.png.txt", "/tmp/M7.PNG",
                             "/tmp/old.png", "/tmp/.png", "/tmp/psn"})
        root.writeFile(name, "x");
    ASSERT_EQ(mkdir(root.real("/tmp/dir.png").c_str(), 0700), 0);
    std::list<matchray_matches> matches(1);
    matches.front().picture = "m7.png";
    StalePictures::remove(root.real("/tmp"), matches);
    for (const char* name :
         {"/tmp/m7.png", "/tmp/abc", "/tmp/a.png.txt", "/tmp/M7.PNG", "/tmp/psn", "/tmp/dir.png"})
        EXPECT_TRUE(root.exists(name)) << name;
    for (const char* name : {"/tmp/old.png", "/tmp/.png", "/tmp/link.png"})
        EXPECT_FALSE(root.exists(name)) << name;
    EXPECT_EQ(root.readFile("/victim.png"), "keep");
}

}  // namespace
