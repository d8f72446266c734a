#pragma once
// What the match entry and the channel entry draw alike: the entry font, text
// laid out once into a paragraph, and pictures blitted onto the list.

#include <memory>

#include "eRect.h"
#include "eString.h"
#include "gFont.h"

class eTextPara;
class gPainter;
class gPixmap;

// Paragraphs are released with destroy(), never with delete.
struct eTextParaDeleter {
    void operator()(eTextPara* para) const;
};
using eTextParaPtr = std::unique_ptr<eTextPara, eTextParaDeleter>;

// Fills an entry class's font the first time: the skin's "global.fixed" at size 16.
// A font whose size is already set stays as it is.
void fillEntryFont(gFont& font);

// A paragraph on area, starting at its top-left, with text laid out in font
// and aligned (eTextPara::dirLeft or dirRight).
eTextParaPtr layoutPara(const eRect& area, const gFont& font, const eString& text, int alignment);

// Merges the screen's palette into picture, then blits it onto painter at
// position with alpha blending and no clip.
void drawPicture(gPainter& painter, gPixmap& picture, ePoint position);
