#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include <zlib.h>

#include "TempRoot.h"
#include "gPixmap.h"
#include "loadPNG.h"

namespace {

namespace fs = std::filesystem;

std::string fileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A PNG built chunk by chunk, for colour types the flags don't use.
class PngBuilder {
public:
    PngBuilder& chunk(const char* type, const std::string& data) {
        std::string body = std::string(type, 4) + data;
        append32(static_cast<uint32_t>(data.size()));
        bytes += body;
        append32(static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
        return *this;
    }
    PngBuilder& header(int width, int height, int depth, int colorType) {
        std::string data;
        put32(data, width);
        put32(data, height);
        data += {static_cast<char>(depth), static_cast<char>(colorType), 0, 0, 0};
        return chunk("IHDR", data);
    }
    // rows: the raw scanlines, each starting with its filter byte (0).
    PngBuilder& image(const std::string& rows) {
        uLongf size = compressBound(static_cast<uLong>(rows.size()));
        std::string packed(size, '\0');
        compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()));
        packed.resize(size);
        return chunk("IDAT", packed).chunk("IEND", "");
    }
    std::string bytes = "\x89PNG\r\n\x1a\n";

private:
    static void put32(std::string& out, uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
    }
    void append32(uint32_t value) { put32(bytes, value); }
};

class Png : public ::testing::Test {
protected:
    TempRoot root;
    const std::string flag = fileContents(MATCHRAY_FLAGS_DIR "/de.png");
};

TEST_F(Png, ReadsFlagUnderReceiverRoot) {
    ASSERT_FALSE(flag.empty());
    root.writeFile("/var/tuxbox/config/pitchside/countries/de.png", flag);
    std::unique_ptr<gPixmap> pixmap(loadPNG("/var/tuxbox/config/pitchside/countries/de.png"));
    ASSERT_TRUE(pixmap);
    EXPECT_EQ(pixmap->size(), eSize(16, 11));
    EXPECT_EQ(pixmap->source, "/var/tuxbox/config/pitchside/countries/de.png");
    // Exact pixels of the red and gold bands and the frame's corner (the
    // flags are shaded), as an independent decoder reads them.
    EXPECT_EQ(pixmap->pixel(0, 0), 0xff4c4c43u);
    EXPECT_EQ(pixmap->pixel(8, 5), 0xfff44a4au);
    EXPECT_EQ(pixmap->pixel(8, 8), 0xffefd93du);
}

TEST_F(Png, ExpandsPaletteWithTransparencyAndGray16) {
    PngBuilder palette;
    palette.header(2, 1, 8, 3)
        .chunk("PLTE", std::string("\x10\x20\x30\xff\x00\x00", 6))
        .chunk("tRNS", std::string("\x00", 1))
        .image(std::string("\x00\x00\x01", 3));
    root.writeFile("/tmp/palette.png", palette.bytes);
    std::unique_ptr<gPixmap> indexed(loadPNG("/tmp/palette.png"));
    ASSERT_TRUE(indexed);
    EXPECT_EQ(indexed->pixel(0, 0), 0x00102030u);
    EXPECT_EQ(indexed->pixel(1, 0), 0xffff0000u);

    PngBuilder gray;
    gray.header(1, 1, 16, 0).image(std::string("\x00\x80\x7f", 3));
    root.writeFile("/tmp/gray.png", gray.bytes);
    std::unique_ptr<gPixmap> grey(loadPNG("/tmp/gray.png"));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->pixel(0, 0), 0xff808080u);
}

TEST_F(Png, NullForMissingEmptyTruncatedCorruptAndNonPng) {
    EXPECT_EQ(loadPNG("/tmp/missing.png"), nullptr);
    EXPECT_EQ(loadPNG(nullptr), nullptr);
    root.writeFile("/tmp/empty.png", "");
    EXPECT_EQ(loadPNG("/tmp/empty.png"), nullptr);
    root.writeFile("/tmp/truncated.png", flag.substr(0, flag.size() / 2));
    EXPECT_EQ(loadPNG("/tmp/truncated.png"), nullptr);
    std::string corrupt = flag;
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt[corrupt.size() / 2 + 1] ^= 0x55;
    root.writeFile("/tmp/corrupt.png", corrupt);
    EXPECT_EQ(loadPNG("/tmp/corrupt.png"), nullptr);
    root.writeFile("/tmp/text.png", "<html>404 Not Found</html>");
    EXPECT_EQ(loadPNG("/tmp/text.png"), nullptr);
    fs::create_directories(root.real("/tmp/dir.png"));
    EXPECT_EQ(loadPNG("/tmp/dir.png"), nullptr);
}

TEST_F(Png, SaveAndLoadRoundTrip) {
    gPixmap picture(3, 2, gColor(0xff000000u));
    picture.setPixel(0, 0, 0xff112233u);
    picture.setPixel(1, 0, 0x80ff0000u);
    picture.setPixel(2, 1, 0x00000000u);
    ASSERT_TRUE(savePNG(root.real("/tmp/shot.png"), picture));
    std::unique_ptr<gPixmap> loaded(loadPNG("/tmp/shot.png"));
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->size(), picture.size());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(loaded->pixel(x, y), picture.pixel(x, y));
    }
    EXPECT_FALSE(savePNG(root.real("/no/such/dir/shot.png"), picture));
}

TEST_F(Png, RefusesAbsurdSize) {
    // A valid header claiming 5000 x 1 pixels, with no image data behind it.
    gPixmap wide(5000, 1);
    ASSERT_TRUE(savePNG(root.real("/tmp/wide.png"), wide));
    EXPECT_EQ(loadPNG("/tmp/wide.png"), nullptr);
}

}  // namespace
