#include "PictureCache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TempRoot.h"
#include "TestFiles.h"
#include "gPixmap.h"

namespace {

const std::string wide = readBinary(MATCHRAY_SOURCE_DIR "/data/images/hd.png");  // 44x22
const std::string flag = TestFiles::png();                                       // 8x8

// The size of the picture the cache gives now, or "null".
std::string sizeOf(const std::string& path) {
    const PictureCache::Picture picture = PictureCache::get(path);
    return picture ? std::to_string(picture->size().width) + "x" +
                         std::to_string(picture->size().height)
                   : "null";
}

TEST(PictureCacheTest, DecodesOnceSharesAndSeesEveryChange) {
    TempRoot root;
    root.writeFile("/tmp/a.png", wide);
    root.writeFile("/tmp/broken.png", "not a picture");
    const long before = PictureCache::decodeCount();
    const PictureCache::Picture held = PictureCache::get("/tmp/a.png");
    EXPECT_EQ(PictureCache::get("/tmp/a.png"), held);
    EXPECT_EQ(sizeOf("/tmp/broken.png") + sizeOf("/tmp/broken.png") + sizeOf("/tmp/none.png"),
              "nullnullnull");
    EXPECT_EQ(PictureCache::decodeCount() - before, 2) << "a file is decoded once, broken or not";
    // A batch lets go of what no one holds and whose file has gone.
    root.writeFile("/tmp/b.png", flag);
    PictureCache::get("/tmp/b.png");
    const size_t cached = PictureCache::size();
    std::remove(root.real("/tmp/b.png").c_str());
    { const PictureCache::Batch fill; }
    EXPECT_EQ(PictureCache::size(), cached - 1);
    // Changed in place, in a replaced folder, through either kind of link.
    root.writeFile("/tmp/a.png", flag);
    EXPECT_EQ(sizeOf("/tmp/a.png"), "8x8");
    std::filesystem::rename(root.real("/tmp"), root.real("/old"));
    root.writeFile("/tmp/a.png", wide);
    EXPECT_EQ(sizeOf("/tmp/a.png"), "44x22");
    using Link = int (*)(const char*, const char*);
    for (Link link : {Link(::symlink), Link(::link)}) {
        root.writeFile("/target.png", flag);
        std::remove(root.real("/tmp/a.png").c_str());
        ASSERT_EQ(link(root.real("/target.png").c_str(), root.real("/tmp/a.png").c_str()), 0);
        EXPECT_EQ(sizeOf("/tmp/a.png"), "8x8");
        root.writeFile("/target.png", wide);
        EXPECT_EQ(sizeOf("/tmp/a.png"), "44x22");
    }
    // A picture still held is not handed out once its file has gone; another root has its own.
    std::remove(root.real("/tmp/a.png").c_str());
    EXPECT_EQ(sizeOf("/tmp/a.png"), "null");
    EXPECT_EQ(held->size(), eSize(44, 22));
    root.writeFile("/tmp/a.png", wide);
    ASSERT_EQ(sizeOf("/tmp/a.png"), "44x22");
    TempRoot other;
    EXPECT_EQ(sizeOf("/tmp/a.png"), "null");
}

}  // namespace
