#pragma once
// A font as the skin names it: a family (mapped to a font file by the skin) and
// a point size, which the stand-in treats as the pixel height.

#include "eString.h"

struct gFont {
    eString family;
    int pointSize = 0;
    gFont() = default;
    gFont(const eString& family, int pointSize) : family(family), pointSize(pointSize) {}
};
