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

TEST(PictureCacheTest, DecodesOnceSharesAndSeesEveryChangeOncePerBatch) {
    TempRoot root;
    const std::string a = root.real("/tmp/a.png"), broken = root.real("/tmp/broken.png");
    root.writeFile("/tmp/a.png", wide);
    root.writeFile("/tmp/broken.png", "not a picture");
    const long before = PictureCache::decodeCount();
    const PictureCache::Picture held = PictureCache::get(a);
    EXPECT_EQ(PictureCache::get(a), held);
    EXPECT_EQ(sizeOf(broken) + sizeOf(broken) + sizeOf(root.real("/tmp/none.png")), "nullnullnull");
    EXPECT_EQ(PictureCache::decodeCount() - before, 2) << "a file is decoded once, broken or not";
    {
        const PictureCache::Batch fill;  // looked at once: a change shows in the next fill
        EXPECT_EQ(sizeOf(a), "44x22");
        root.writeFile("/tmp/a.png", flag);
        EXPECT_EQ(sizeOf(a), "44x22");
    }
    EXPECT_EQ(sizeOf(a), "8x8");
    // In a replaced folder, and through either kind of link.
    std::filesystem::rename(root.real("/tmp"), root.real("/old"));
    root.writeFile("/tmp/a.png", wide);
    EXPECT_EQ(sizeOf(a), "44x22");
    using Link = int (*)(const char*, const char*);
    for (Link link : {Link(::symlink), Link(::link)}) {
        root.writeFile("/target.png", flag);
        std::remove(a.c_str());
        ASSERT_EQ(link(root.real("/target.png").c_str(), a.c_str()), 0);
        EXPECT_EQ(sizeOf(a), "8x8");
        root.writeFile("/target.png", wide);
        EXPECT_EQ(sizeOf(a), "44x22");
    }
    // A picture still held is not handed out once its file has gone.
    std::remove(a.c_str());
    EXPECT_EQ(sizeOf(a), "null");
    EXPECT_EQ(held->size(), eSize(44, 22));
    PictureCache::clear();
    EXPECT_EQ(PictureCache::size(), 0u);
}

}  // namespace
