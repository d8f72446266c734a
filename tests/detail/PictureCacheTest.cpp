#include "PictureCache.h"

#include <gtest/gtest.h>

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

TEST_F(PictureCacheTest, AChangedFileIsDecodedAgain) {
    root.writeFile("/tmp/a.png", readBinary(images + "hd.png"));
    PictureCache::Picture old = PictureCache::get("/tmp/a.png");
    root.writeFile("/tmp/a.png", readBinary("/usr/share/flags/countries/16x11/de.png"));
    PictureCache::Picture fresh = PictureCache::get("/tmp/a.png");
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, old);
    EXPECT_EQ(fresh->size(), eSize(16, 11));
    // Whoever held the old one still has it.
    EXPECT_EQ(old->size(), eSize(44, 22));
}

TEST_F(PictureCacheTest, MissingAndBrokenFilesGiveNull) {
    EXPECT_EQ(PictureCache::get("/tmp/none.png"), nullptr);
    root.writeFile("/tmp/broken.png", "not a picture");
    const long before = PictureCache::decodeCount();
    EXPECT_EQ(PictureCache::get("/tmp/broken.png"), nullptr);
    EXPECT_EQ(PictureCache::get("/tmp/broken.png"), nullptr);
    EXPECT_EQ(PictureCache::decodeCount() - before, 1);
    // A file that went away is not served from the cache.
    root.writeFile("/tmp/b.png", readBinary(images + "fta.png"));
    ASSERT_NE(PictureCache::get("/tmp/b.png"), nullptr);
    std::remove(root.real("/tmp/b.png").c_str());
    EXPECT_EQ(PictureCache::get("/tmp/b.png"), nullptr);
}

TEST_F(PictureCacheTest, ReceiverRootsDoNotShareCachedPictures) {
    root.writeFile("/tmp/a.png", readBinary(images + "hd.png"));
    ASSERT_NE(PictureCache::get("/tmp/a.png"), nullptr);
    TempRoot other;
    EXPECT_EQ(PictureCache::get("/tmp/a.png"), nullptr);
}
