#pragma once
// FreeType faces and rendered glyph bitmaps, shared by every paragraph. One
// face per font file and pixel size; glyphs are rendered once and kept for the
// life of the process, so paragraphs may hold plain pointers to them.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// A rendered glyph: 8-bit coverage, row by row, and its placement relative to
// the pen position on the baseline.
struct gGlyphBitmap {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;
};

class gFontCache {
public:
    struct Metrics {
        int ascender = 0;
        int lineHeight = 0;
    };

    static gFontCache& instance();

    // Looks up the glyphs of the code points in the font file at the pixel
    // size, rendering those not seen yet. False when the font can't be loaded.
    bool lookup(const std::string& file, int pixelSize, const std::u32string& text,
                Metrics& metrics, std::vector<const gGlyphBitmap*>& glyphs);

    gFontCache(const gFontCache&) = delete;
    gFontCache& operator=(const gFontCache&) = delete;

private:
    struct Face;
    gFontCache();
    ~gFontCache();
    Face* face(const std::string& file, int pixelSize);

    std::mutex mutex;
    void* library = nullptr;  // FT_Library
    std::map<std::pair<std::string, int>, std::unique_ptr<Face>> faces;
};
