#include "MatchPictures.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

constexpr int width = 24;
constexpr int height = 18;

class Canvas {
public:
    explicit Canvas(MatchPictures::Picture& p) : p(p) {
        p.width = width;
        p.height = height;
        p.rgba.assign(static_cast<std::size_t>(width * height * 4), 0);
    }
    void set(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        std::uint8_t* px = &p.rgba[static_cast<std::size_t>((y * width + x) * 4)];
        px[0] = c.r;
        px[1] = c.g;
        px[2] = c.b;
        px[3] = 255;
    }
    void fill(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) set(x, y, c);
    }

private:
    MatchPictures::Picture& p;
};

MatchPictures::Picture pitch(const char* name, Rgb frame) {
    const Rgb grass{46, 139, 63};
    const Rgb stripe{58, 156, 74};
    const Rgb line{240, 240, 240};
    MatchPictures::Picture picture;
    picture.name = name;
    Canvas c(picture);
    // Frame with cut corners, then the mown grass.
    c.fill(1, 0, width - 2, height - 1, frame);
    c.fill(0, 1, width - 1, height - 2, frame);
    for (int x = 2; x < width - 2; ++x) c.fill(x, 2, x, height - 3, (x / 3) % 2 ? stripe : grass);
    // Touch lines, halfway line and centre circle.
    for (int x = 3; x <= width - 4; ++x) {
        c.set(x, 3, line);
        c.set(x, height - 4, line);
    }
    for (int y = 3; y <= height - 4; ++y) {
        c.set(3, y, line);
        c.set(width - 4, y, line);
        c.set(width / 2, y, line);
    }
    const int cx = width / 2, cy = height / 2;
    const int ring[][2] = {{-2, -1}, {-2, 0}, {-1, -2}, {0, -2}, {1, -2}, {2, -1},
                           {2, 0},   {1, 1},  {0, 1},   {-1, 1}, {2, 1},  {-2, 1}};
    for (const auto& d : ring) c.set(cx + d[0], cy + d[1], line);
    // Goal areas.
    for (int y = cy - 3; y <= cy + 2; ++y) {
        c.set(5, y, line);
        c.set(width - 6, y, line);
    }
    for (int x = 3; x <= 5; ++x) {
        c.set(x, cy - 3, line);
        c.set(x, cy + 2, line);
        c.set(width - 1 - x, cy - 3, line);
        c.set(width - 1 - x, cy + 2, line);
    }
    return picture;
}

}  // namespace

std::vector<MatchPictures::Picture> MatchPictures::draw() {
    return {
        pitch("cup.png", {212, 175, 55}),        // gold: tournament finals
        pitch("qual.png", {36, 84, 180}),        // blue: qualifiers
        pitch("league.png", {176, 32, 48}),      // red: nations league
        pitch("friendly.png", {150, 150, 150}),  // grey: friendlies
    };
}

bool MatchPictures::writePng(const Picture& picture, const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        png_write_row(png, picture.rgba.data() + static_cast<std::size_t>(y * picture.width * 4));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}
