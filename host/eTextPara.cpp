#include "eTextPara.h"

#include <algorithm>
#include <atomic>

#include "eSkin.h"
#include "gBlend.h"
#include "gFontCache.h"
#include "gPixmap.h"

struct eTextPara::Glyph {
    const gGlyphBitmap* bitmap;
    int x;  // pen position relative to the line's start
    int line;
};

namespace {

std::atomic<long> layouts{0};

// UTF-8 to code points; malformed bytes become U+FFFD.
std::u32string decodeUtf8(const std::string& text) {
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t codepoint = 0;
        if (lead < 0x80) {
            codepoint = lead;
        } else if ((lead & 0xe0) == 0xc0) {
            extra = 1;
            codepoint = lead & 0x1f;
        } else if ((lead & 0xf0) == 0xe0) {
            extra = 2;
            codepoint = lead & 0x0f;
        } else if ((lead & 0xf8) == 0xf0) {
            extra = 3;
            codepoint = lead & 0x07;
        } else {
            out.push_back(0xfffd);
            ++i;
            continue;
        }
        bool valid = i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) {
                valid = false;
            } else {
                codepoint = (codepoint << 6) | (next & 0x3f);
            }
        }
        if (!valid) {
            out.push_back(0xfffd);
            ++i;
            continue;
        }
        out.push_back(codepoint);
        i += 1 + extra;
    }
    return out;
}

bool isBlank(char32_t c) {
    return c == U' ' || c == U'\t';
}

}  // namespace

eTextPara::eTextPara(eRect area, ePoint start) : area(area), start(start) {}

eTextPara::~eTextPara() = default;

void eTextPara::destroy() {
    delete this;
}

long eTextPara::layoutCount() {
    return layouts.load();
}

void eTextPara::setFont(const gFont& font) {
    this->font = font;
}

int eTextPara::renderString(const eString& string, int flags) {
    ++layouts;
    text = string;
    glyphs.clear();
    lineEnds.clear();
    lineWidth.clear();
    lineX.clear();

    const std::u32string codepoints = decodeUtf8(text);
    const std::string file = eSkin::getActive()->fontFile(font.family);
    std::vector<const gGlyphBitmap*> bitmaps;
    gFontCache::Metrics metrics;
    if (!gFontCache::instance().lookup(file, font.pointSize, codepoints, metrics, bitmaps)) {
        ascender = lineHeight = 0;
        return -1;
    }
    ascender = metrics.ascender;
    lineHeight = metrics.lineHeight;

    const int firstX = start.x == -1 && start.y == -1 ? area.left() : start.x;
    int line = 0;
    int pen = 0;
    int ink = 0;  // pen position after the last non-blank glyph of the line
    const bool wrap = !(flags & noWrap);
    auto available = [&] { return area.right() - (line == 0 ? firstX : area.left()); };
    bool wrapped = false;
    auto newLine = [&](bool wrap) {
        lineEnds.push_back(static_cast<int>(glyphs.size()));
        lineWidth.push_back(ink);
        ++line;
        pen = ink = 0;
        wrapped = wrap;
    };

    size_t i = 0;
    while (i < codepoints.size()) {
        const char32_t c = codepoints[i];
        if (c == U'\n') {
            newLine(false);
            ++i;
            continue;
        }
        if (isBlank(c)) {
            // Blanks at the start of a wrapped line are dropped.
            if (pen > 0 || !wrapped) {
                glyphs.push_back({bitmaps[i], pen, line});
                pen += bitmaps[i]->advance;
            }
            ++i;
            continue;
        }
        size_t end = i;
        int width = 0;
        while (end < codepoints.size() && codepoints[end] != U'\n' && !isBlank(codepoints[end]))
            width += bitmaps[end++]->advance;
        if (wrap && pen > 0 && pen + width > available()) newLine(true);
        for (; i < end; ++i) {
            const int advance = bitmaps[i]->advance;
            // A word wider than the whole line breaks between characters.
            if (wrap && pen > 0 && pen + advance > available() && width > available())
                newLine(true);
            glyphs.push_back({bitmaps[i], pen, line});
            pen += advance;
            ink = pen;
        }
    }
    lineEnds.push_back(static_cast<int>(glyphs.size()));
    lineWidth.push_back(ink);
    realign(dirLeft);
    return 0;
}

void eTextPara::realign(int direction) {
    const int firstX = start.x == -1 && start.y == -1 ? area.left() : start.x;
    lineX.assign(lineEnds.size(), 0);
    for (size_t line = 0; line < lineEnds.size(); ++line) {
        switch (direction) {
            case dirRight:
                lineX[line] = area.right() - lineWidth[line];
                break;
            case dirCenter:
                lineX[line] = area.left() + (area.width() - lineWidth[line]) / 2;
                break;
            default:
                lineX[line] = line == 0 ? firstX : area.left();
                break;
        }
    }
}

eRect eTextPara::getBoundBox() const {
    const int top = start.x == -1 && start.y == -1 ? area.top() : start.y;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool any = false;
    for (const Glyph& glyph : glyphs) {
        const gGlyphBitmap& bitmap = *glyph.bitmap;
        if (bitmap.width == 0 || bitmap.height == 0) continue;
        const int left = lineX[glyph.line] + glyph.x + bitmap.left;
        const int gtop = top + ascender + glyph.line * lineHeight - bitmap.top;
        if (!any) {
            x1 = left;
            y1 = gtop;
            x2 = left + bitmap.width;
            y2 = gtop + bitmap.height;
            any = true;
        } else {
            x1 = std::min(x1, left);
            y1 = std::min(y1, gtop);
            x2 = std::max(x2, left + bitmap.width);
            y2 = std::max(y2, gtop + bitmap.height);
        }
    }
    return any ? eRect::fromEdges(x1, y1, x2, y2) : eRect();
}

eSize eTextPara::getTextSize() const {
    const int widest =
        lineWidth.empty() ? 0 : *std::max_element(lineWidth.begin(), lineWidth.end());
    return eSize(widest, getLineCount() * lineHeight);
}

void eTextPara::draw(gPixmap& target, ePoint offset, const eRect& clip, uint32_t color) const {
    const eRect bounds = clip.intersected(eRect(ePoint(), target.size()));
    if (bounds.isEmpty()) return;
    const int top = start.x == -1 && start.y == -1 ? area.top() : start.y;
    for (const Glyph& glyph : glyphs) {
        const gGlyphBitmap& bitmap = *glyph.bitmap;
        const int left = offset.x + lineX[glyph.line] + glyph.x + bitmap.left;
        const int gtop = offset.y + top + ascender + glyph.line * lineHeight - bitmap.top;
        const eRect r = eRect(left, gtop, bitmap.width, bitmap.height).intersected(bounds);
        for (int y = r.top(); y < r.bottom(); ++y) {
            const uint8_t* coverage =
                &bitmap.coverage[static_cast<size_t>(y - gtop) * bitmap.width];
            uint32_t* row = target.row(y);
            for (int x = r.left(); x < r.right(); ++x) {
                const uint8_t c = coverage[x - left];
                if (c) row[x] = gBlend(row[x], color, c);
            }
        }
    }
}
