#pragma once
// A paragraph of UTF-8 text laid out with FreeType. renderString lays out the
// glyphs once; drawing (gPainter::renderPara) only copies the cached glyph
// bitmaps. Release a paragraph with destroy(), never with delete.
//
// The font's family is mapped to a file by the active skin; its point size is
// taken as the pixel height. Lines break at '\n' and, unless renderString
// gets the flag noWrap, at blanks when a word would pass the area's right
// edge; a word wider than the area then breaks between characters. Text
// outside the area is still drawn (the painter clips).

#include <cstdint>
#include <memory>
#include <vector>

#include "eRect.h"
#include "eString.h"
#include "gFont.h"

class gPixmap;

class eTextPara {
public:
    enum { dirLeft = 0, dirRight = 1, dirCenter = 2 };
    // renderString flag: break lines only at '\n'.
    enum { noWrap = 0x100 };

    // area: where the text goes, relative to the painter's origin.
    // start: where the first line begins; (-1, -1) means the area's top-left.
    explicit eTextPara(eRect area, ePoint start = ePoint(-1, -1));

    void setFont(const gFont& font);
    // Lays the text out in the area, wrapping at blanks. Returns 0, or -1 when
    // no font could be loaded (the paragraph then draws nothing).
    int renderString(const eString& text, int flags = 0);
    // Aligns every line left, right or centred in the area.
    void realign(int direction);
    // The smallest rectangle around the laid-out glyphs.
    eRect getBoundBox() const;
    void destroy();

    const eString& getText() const { return text; }
    const eRect& getArea() const { return area; }
    // The font's line distance in pixels, and the number of laid-out lines.
    int getLineHeight() const { return lineHeight; }
    int getLineCount() const { return static_cast<int>(lineEnds.size()); }
    // The widest line's advance and the height of all lines: the room the
    // text needs (the bound box covers ink only).
    eSize getTextSize() const;

    // Draws the glyphs into target, shifted by offset, clipped to clip.
    void draw(gPixmap& target, ePoint offset, const eRect& clip, uint32_t color) const;

    // How many times any paragraph has been laid out; tests use it to prove
    // that drawing never lays out again.
    static long layoutCount();

private:
    ~eTextPara();

    struct Glyph;
    eRect area;
    ePoint start;
    gFont font;
    eString text;
    std::vector<Glyph> glyphs;
    std::vector<int> lineEnds;   // index one past each line's last glyph
    std::vector<int> lineWidth;  // ink advance of each line, trailing blanks left out
    std::vector<int> lineX;      // where each line starts after alignment
    int ascender = 0;
    int lineHeight = 0;
};
