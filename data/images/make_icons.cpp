// Draws the detail window's two channel icons, hd.png and fta.png (44 x 22):
// a rounded badge with white block letters. The PNGs beside this file are its
// output; rebuild them with
//   g++ -std=c++17 -O2 make_icons.cpp -o /tmp/make_icons -lpng && /tmp/make_icons .
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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

using Image = std::vector<uint32_t>;  // 0xAARRGGBB

void put(Image& image, int x, int y, uint32_t argb) {
    if (x >= 0 && x < width && y >= 0 && y < height) image[y * width + x] = argb;
}

// A filled badge with corners of radius 4 and a one-pixel lighter rim.
void badge(Image& image, uint32_t fill, uint32_t rim) {
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

void text(Image& image, const std::string& letters, uint32_t ink) {
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

bool save(const std::string& path, const Image& image) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(width * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = image[y * width + x];
            row[x * 4 + 0] = static_cast<png_byte>(p >> 16);
            row[x * 4 + 1] = static_cast<png_byte>(p >> 8);
            row[x * 4 + 2] = static_cast<png_byte>(p);
            row[x * 4 + 3] = static_cast<png_byte>(p >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

bool makeIcon(const std::string& path, const std::string& letters, uint32_t fill, uint32_t rim) {
    Image image(width * height, 0x00000000u);
    badge(image, fill, rim);
    text(image, letters, 0xffffffffu);
    return save(path, image);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? argv[1] : ".";
    const bool ok = makeIcon(directory + "/hd.png", "HD", 0xff1f4fa8u, 0xff6f9be8u) &&
                    makeIcon(directory + "/fta.png", "FTA", 0xff1e7a32u, 0xff67c47cu);
    if (!ok) std::fprintf(stderr, "make_icons: can't write the icons into %s\n", directory.c_str());
    return ok ? 0 : 1;
}
