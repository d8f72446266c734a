#include "PictureCache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "EntryRecorder.h"
#include "TempRoot.h"
#include "gPixmap.h"

namespace {

const std::string images = std::string(MATCHRAY_SOURCE_DIR) + "/data/images/";

class PictureCacheTest : public ::testing::Test {
protected:
    TempRoot root;
};

}  // namespace

TEST_F(PictureCacheTest, APictureIsDecodedOnceAndShared) {
    root.writeFile("/tmp/a.png", readBinary(images + "hd.png"));
    const long before = PictureCache::decodeCount();
    PictureCache::Picture first = PictureCache::get("/tmp/a.png");
    PictureCache::Picture second = PictureCache::get("/tmp/a.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->source, "/tmp/a.png");
    EXPECT_EQ(first->size(), eSize(44, 22));
    EXPECT_EQ(PictureCache::decodeCount() - before, 1);
}

TEST_F(PictureCacheTest, MissingAndBrokenFilesGiveNull) {
    EXPECT_EQ(PictureCache::get("/tmp/none.png"), nullptr);
    root.writeFile("/tmp/broken.png", "not a picture");
    const long before = PictureCache::decodeCount();
    EXPECT_EQ(PictureCache::get("/tmp/broken.png"), nullptr);
    EXPECT_EQ(PictureCache::get("/tmp/broken.png"), nullptr);
    EXPECT_EQ(PictureCache::decodeCount() - before, 1);
}

TEST_F(PictureCacheTest, EachBatchSeesChangedAndGoneFiles) {
    const std::string flag = readBinary("/usr/share/flags/countries/16x11/de.png");
    root.writeFile("/tmp/a.png", readBinary(images + "hd.png"));
    root.writeFile("/tmp/b.png", flag);
    root.writeFile("/tmp/c.png", flag);
    PictureCache::Picture held;
    {
        const PictureCache::Batch fill;
        held = PictureCache::get("/tmp/a.png");
        PictureCache::get("/tmp/b.png");
        PictureCache::get("/tmp/c.png");
    }
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(PictureCache::size(), 3u);

    // a changes in place, b goes while no one holds it, c stays.
    root.writeFile("/tmp/a.png", flag);
    std::remove(root.real("/tmp/b.png").c_str());
    {
        const PictureCache::Batch fill;
        const PictureCache::Picture fresh = PictureCache::get("/tmp/a.png");
        ASSERT_NE(fresh, nullptr);
        EXPECT_EQ(fresh->size(), eSize(16, 11));
        EXPECT_EQ(PictureCache::get("/tmp/a.png"), fresh);
    }
    EXPECT_EQ(PictureCache::size(), 2u);

    // A picture still held is not handed out once its file has gone.
    std::remove(root.real("/tmp/a.png").c_str());
    {
        const PictureCache::Batch fill;
        EXPECT_EQ(PictureCache::get("/tmp/a.png"), nullptr);
    }
    EXPECT_EQ(PictureCache::size(), 1u);
    EXPECT_EQ(held->size(), eSize(44, 22));
}

TEST_F(PictureCacheTest, ChangesOutsideThePicturesDirectoryAreSeen) {
    const std::string hd = readBinary(images + "hd.png");
    const std::string flag = readBinary("/usr/share/flags/countries/16x11/de.png");
    const auto expectSize = [](eSize size) {
        const PictureCache::Picture picture = PictureCache::get("/tmp/a.png");
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->size(), size);
    };
    // The directory is replaced, and then the file in the new one changes.
    root.writeFile("/tmp/a.png", hd);
    expectSize(eSize(44, 22));
    std::filesystem::rename(root.real("/tmp"), root.real("/old"));
    root.writeFile("/tmp/a.png", flag);
    expectSize(eSize(16, 11));
    root.writeFile("/tmp/a.png", hd);
    expectSize(eSize(44, 22));

    // The file is a link, and changes under its other name.
    const std::string target = "/var/tuxbox/config/pitchside/target.png";
    using Link = int (*)(const char*, const char*);
    for (Link link : {Link(::symlink), Link(::link)}) {
        root.writeFile(target, flag);
        std::remove(root.real("/tmp/a.png").c_str());
        ASSERT_EQ(link(root.real(target).c_str(), root.real("/tmp/a.png").c_str()), 0);
        expectSize(eSize(16, 11));
        root.writeFile(target, hd);
        expectSize(eSize(44, 22));
    }
}

TEST_F(PictureCacheTest, ReceiverRootsDoNotShareCachedPictures) {
    root.writeFile("/tmp/a.png", readBinary(images + "hd.png"));
    ASSERT_NE(PictureCache::get("/tmp/a.png"), nullptr);
    TempRoot other;
    EXPECT_EQ(PictureCache::get("/tmp/a.png"), nullptr);
}
