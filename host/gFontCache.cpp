#include "gFontCache.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <unordered_map>

struct gFontCache::Face {
    FT_Face face = nullptr;  // null when the file couldn't be opened
    Metrics metrics;
    std::unordered_map<char32_t, std::unique_ptr<gGlyphBitmap>> glyphs;

    ~Face() {
        if (face) FT_Done_Face(face);
    }
    const gGlyphBitmap* glyph(char32_t codepoint);
};

namespace {

int roundedPixels(FT_Pos value) {
    return static_cast<int>((value + 32) >> 6);
}

void copyBitmap(const FT_Bitmap& bitmap, gGlyphBitmap& out) {
    out.width = static_cast<int>(bitmap.width);
    out.height = static_cast<int>(bitmap.rows);
    out.coverage.assign(static_cast<size_t>(out.width) * out.height, 0);
    const int pitch = std::abs(bitmap.pitch);
    for (int y = 0; y < out.height; ++y) {
        const unsigned char* row = bitmap.pitch >= 0 ? bitmap.buffer + y * pitch
                                                     : bitmap.buffer + (out.height - 1 - y) * pitch;
        uint8_t* to = &out.coverage[static_cast<size_t>(y) * out.width];
        for (int x = 0; x < out.width; ++x) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                to[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            } else {
                to[x] = row[x];
            }
        }
    }
}

}  // namespace

const gGlyphBitmap* gFontCache::Face::glyph(char32_t codepoint) {
    auto found = glyphs.find(codepoint);
    if (found != glyphs.end()) return found->second.get();
    auto rendered = std::make_unique<gGlyphBitmap>();
    if (FT_Load_Char(face, codepoint, FT_LOAD_RENDER) == 0) {
        FT_GlyphSlot slot = face->glyph;
        rendered->left = slot->bitmap_left;
        rendered->top = slot->bitmap_top;
        rendered->advance = roundedPixels(slot->advance.x);
        copyBitmap(slot->bitmap, *rendered);
    }
    const gGlyphBitmap* result = rendered.get();
    glyphs.emplace(codepoint, std::move(rendered));
    return result;
}

gFontCache& gFontCache::instance() {
    static gFontCache cache;
    return cache;
}

gFontCache::gFontCache() {
    FT_Library ft = nullptr;
    if (FT_Init_FreeType(&ft) == 0) library = ft;
}

gFontCache::~gFontCache() {
    faces.clear();
    if (library) FT_Done_FreeType(static_cast<FT_Library>(library));
}

gFontCache::Face* gFontCache::face(const std::string& file, int pixelSize) {
    auto key = std::make_pair(file, pixelSize);
    auto found = faces.find(key);
    if (found != faces.end()) return found->second->face ? found->second.get() : nullptr;
    auto entry = std::make_unique<Face>();
    if (library &&
        FT_New_Face(static_cast<FT_Library>(library), file.c_str(), 0, &entry->face) != 0)
        entry->face = nullptr;
    if (entry->face && FT_Set_Pixel_Sizes(entry->face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        FT_Done_Face(entry->face);
        entry->face = nullptr;
    }
    if (entry->face) {
        const FT_Size_Metrics& size = entry->face->size->metrics;
        entry->metrics.ascender = roundedPixels(size.ascender);
        entry->metrics.lineHeight = roundedPixels(size.height);
    }
    Face* result = entry->face ? entry.get() : nullptr;
    // Failures are remembered too, so a missing file is tried only once.
    faces.emplace(std::move(key), std::move(entry));
    return result;
}

bool gFontCache::lookup(const std::string& file, int pixelSize, const std::u32string& text,
                        Metrics& metrics, std::vector<const gGlyphBitmap*>& glyphs) {
    glyphs.clear();
    if (pixelSize <= 0) return false;
    std::lock_guard<std::mutex> lock(mutex);
    Face* found = face(file, pixelSize);
    if (!found) return false;
    metrics = found->metrics;
    glyphs.reserve(text.size());
    for (char32_t codepoint : text) glyphs.push_back(found->glyph(codepoint));
    return true;
}
