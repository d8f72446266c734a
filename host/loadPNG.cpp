#include "loadPNG.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include "eReceiverFiles.h"
#include "gPixmap.h"

namespace {

constexpr png_uint_32 maximumSide = 4096;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// libpng reports errors through longjmp; these keep it quiet on stderr.
void onError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

// Decodes into rgba (4 bytes a pixel). Everything that changes after setjmp
// lives in the caller's frame, since an error jumps straight back here.
bool decode(FILE* file, png_uint_32& width, png_uint_32& height, std::vector<png_byte>& rgba,
            std::vector<png_bytep>& rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_user_limits(png, maximumSide, maximumSide);
    png_init_io(png, file);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "layout");

    rgba.resize(static_cast<size_t>(width) * height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = &rgba[static_cast<size_t>(y) * width * 4];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void onWriteError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

bool encode(FILE* file, const gPixmap& pixmap, std::vector<png_byte>& rgba,
            std::vector<png_bytep>& rows) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onWriteError, onWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const int width = pixmap.width();
    const int height = pixmap.height();
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    rows.resize(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = &rgba[static_cast<size_t>(y) * width * 4];
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

gPixmap* loadPNG(const char* filename) {
    if (!filename) return nullptr;
    File file(std::fopen(eReceiverFiles::locate(filename).c_str(), "rb"));
    if (!file) return nullptr;
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
        return nullptr;
    std::rewind(file.get());

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    std::vector<png_byte> rgba;
    std::vector<png_bytep> rows;
    if (!decode(file.get(), width, height, rgba, rows)) return nullptr;
    if (width == 0 || height == 0 || width > maximumSide || height > maximumSide) return nullptr;

    auto* pixmap = new gPixmap(static_cast<int>(width), static_cast<int>(height));
    const png_byte* from = rgba.data();
    for (png_uint_32 y = 0; y < height; ++y) {
        uint32_t* row = pixmap->row(static_cast<int>(y));
        for (png_uint_32 x = 0; x < width; ++x, from += 4) {
            row[x] = (uint32_t(from[3]) << 24) | (uint32_t(from[0]) << 16) |
                     (uint32_t(from[1]) << 8) | uint32_t(from[2]);
        }
    }
    pixmap->source = filename;
    return pixmap;
}

bool savePNG(const std::string& realPath, const gPixmap& pixmap) {
    if (pixmap.width() <= 0 || pixmap.height() <= 0) return false;
    std::vector<png_byte> rgba(static_cast<size_t>(pixmap.width()) * pixmap.height() * 4);
    png_byte* to = rgba.data();
    for (int y = 0; y < pixmap.height(); ++y) {
        const uint32_t* row = pixmap.row(y);
        for (int x = 0; x < pixmap.width(); ++x, to += 4) {
            to[0] = static_cast<png_byte>(row[x] >> 16);
            to[1] = static_cast<png_byte>(row[x] >> 8);
            to[2] = static_cast<png_byte>(row[x]);
            to[3] = static_cast<png_byte>(row[x] >> 24);
        }
    }
    File file(std::fopen(realPath.c_str(), "wb"));
    if (!file) return false;
    std::vector<png_bytep> rows;
    if (!encode(file.get(), pixmap, rgba, rows)) return false;
    return std::fclose(file.release()) == 0;
}
