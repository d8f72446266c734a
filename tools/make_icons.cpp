// make-icons [DIR]: draws the detail window's two channel icons, hd.png and
// fta.png (44 x 22), into DIR: a rounded badge with white block letters. The
// icons in data/images are its output.

#include <cstdint>
#include <cstdio>
#include <string>

#include "gPixmap.h"
#include "loadPNG.h"

namespace {

constexpr int width = 44;
constexpr int height = 22;
constexpr int scale = 2;  // each glyph pixel is 2 x 2

// 5 x 7 glyphs, one string per row, '#' is ink.
struct Glyph {
    char letter;
    const char* rows[7];
};
const Glyph glyphs[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
};

void put(gPixmap& image, int x, int y, uint32_t argb) {
    if (x >= 0 && x < width && y >= 0 && y < height) image.setPixel(x, y, argb);
}

// A filled badge with corners of radius 4 and a one-pixel lighter rim.
void badge(gPixmap& image, uint32_t fill, uint32_t rim) {
    const int r = 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int cx = x < r ? r - x : (x >= width - r ? x - (width - r - 1) : 0);
            const int cy = y < r ? r - y : (y >= height - r ? y - (height - r - 1) : 0);
            const int d2 = cx * cx + cy * cy;
            if (d2 > r * r) continue;
            const bool edge =
                x == 0 || y == 0 || x == width - 1 || y == height - 1 || d2 > (r - 1) * (r - 1);
            put(image, x, y, edge ? rim : fill);
        }
}

void text(gPixmap& image, const std::string& letters, uint32_t ink) {
    const int glyphWidth = 5 * scale;
    const int gap = scale;
    const int total = static_cast<int>(letters.size()) * (glyphWidth + gap) - gap;
    int x0 = (width - total) / 2;
    const int y0 = (height - 7 * scale) / 2;
    for (char c : letters) {
        for (const Glyph& g : glyphs) {
            if (g.letter != c) continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g.rows[row][col] == '#')
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx)
                                put(image, x0 + col * scale + dx, y0 + row * scale + dy, ink);
        }
        x0 += glyphWidth + gap;
    }
}

bool makeIcon(const std::string& path, const std::string& letters, uint32_t fill, uint32_t rim) {
    gPixmap image(width, height, gColor(0));
    badge(image, fill, rim);
    text(image, letters, 0xffffffffu);
    return savePNG(path, image);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? argv[1] : ".";
    const bool ok = makeIcon(directory + "/hd.png", "HD", 0xff1f4fa8u, 0xff6f9be8u) &&
                    makeIcon(directory + "/fta.png", "FTA", 0xff1e7a32u, 0xff67c47cu);
    if (!ok) std::fprintf(stderr, "make-icons: can't write the icons into %s\n", directory.c_str());
    return ok ? 0 : 1;
}
