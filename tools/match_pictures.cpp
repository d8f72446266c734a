// match-pictures DIR: draws the sample data's match pictures into DIR, a small
// football pitch framed in the colour of its competition, 24 x 18 pixels.

#include <cstdint>
#include <cstdio>
#include <string>

#include "gPixmap.h"
#include "loadPNG.h"

namespace {

constexpr int width = 24;
constexpr int height = 18;

uint32_t rgb(uint8_t r, uint8_t g, uint8_t b) {
    return 0xff000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

class Canvas {
public:
    void set(int x, int y, uint32_t argb) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixmap.setPixel(x, y, argb);
    }
    void fill(int x0, int y0, int x1, int y1, uint32_t argb) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) set(x, y, argb);
    }

    gPixmap pixmap{width, height};
};

bool pitch(const std::string& path, uint32_t frame) {
    const uint32_t grass = rgb(46, 139, 63);
    const uint32_t stripe = rgb(58, 156, 74);
    const uint32_t line = rgb(240, 240, 240);
    Canvas c;
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
    return savePNG(path, c.pixmap);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: match-pictures DIR\n");
        return 2;
    }
    const struct {
        const char* name;
        uint32_t frame;
    } pictures[] = {
        {"cup.png", rgb(212, 175, 55)},        // gold: tournament finals
        {"qual.png", rgb(36, 84, 180)},        // blue: qualifiers
        {"league.png", rgb(176, 32, 48)},      // red: nations league
        {"friendly.png", rgb(150, 150, 150)},  // grey: friendlies
    };
    for (const auto& picture : pictures) {
        const std::string path = std::string(argv[1]) + "/" + picture.name;
        if (!pitch(path, picture.frame)) {
            std::fprintf(stderr, "match-pictures: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
