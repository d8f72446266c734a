#include "PictureCache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

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

class PictureCacheTest : public testing::Test {
protected:
    PictureCacheTest() { root.writeFile("/tmp/a.png", wide); }
    ~PictureCacheTest() override { PictureCache::clear(); }

    TempRoot root;
    const std::string a = root.real("/tmp/a.png");
};

// A broken file too.
TEST_F(PictureCacheTest, DecodesEachFileOnce) {
    root.writeFile("/tmp/broken.png", "not a picture");
    const long before = PictureCache::decodeCount();
    const PictureCache::Picture held = PictureCache::get(a);
    EXPECT_EQ(PictureCache::get(a), held);
    const std::string broken = root.real("/tmp/broken.png");
    EXPECT_EQ(sizeOf(broken) + sizeOf(broken) + sizeOf(root.real("/tmp/none.png")), "nullnullnull");
    EXPECT_EQ(PictureCache::decodeCount() - before, 2);
}

TEST_F(PictureCacheTest, SeesAChangeInTheNextBatch) {
    {
        const PictureCache::Batch fill;  // each file looked at once
        EXPECT_EQ(sizeOf(a), "44x22");
        root.writeFile("/tmp/a.png", flag);
        EXPECT_EQ(sizeOf(a), "44x22");
    }
    EXPECT_EQ(sizeOf(a), "8x8");
}

// A picture still held stays whole when its file goes.
TEST_F(PictureCacheTest, FollowsItsPathToWhateverFileIsThere) {
    const PictureCache::Picture held = PictureCache::get(a);
    using Link = int (*)(const char*, const char*);
    const std::pair<std::function<void()>, const char*> changes[] = {
        {[&] {
             std::filesystem::rename(root.real("/tmp"), root.real("/old"));
             root.writeFile("/tmp/a.png", flag);
         },
         "8x8"},
        {[&] { std::remove(a.c_str()); }, "null"},
        {[&] { root.writeFile("/target.png", wide); }, "null"},
        {[&] { Link(::symlink)(root.real("/target.png").c_str(), a.c_str()); }, "44x22"},
        {[&] { root.writeFile("/target.png", flag); }, "8x8"},
        {[&] {
             std::remove(a.c_str());
             Link(::link)(root.real("/target.png").c_str(), a.c_str());
         },
         "8x8"},
        {[&] { root.writeFile("/target.png", wide); }, "44x22"}};
    for (const auto& [change, size] : changes) {
        change();
        EXPECT_EQ(sizeOf(a), size) << &change - &changes[0].first;
    }
    EXPECT_EQ(held->size(), eSize(44, 22));
}

}  // namespace
