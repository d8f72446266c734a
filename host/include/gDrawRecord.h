#pragma once
// What a widget or list entry drew in its last redraw, in drawing order. The
// painter appends to the record it is given; tests and the emulator's dump read it.

#include <string>
#include <vector>

#include "eRect.h"
#include "gColor.h"

struct gDrawOp {
    enum class Kind { fill, line, text, picture };
    Kind kind;
    std::string text;  // the paragraph's text, or the picture's source
    eRect area;        // in the painter's coordinates; a line runs from top-left to bottom-right
    gColor color;      // fill, line or text colour
};

class gDrawRecord {
public:
    void clear() { ops.clear(); }
    void add(gDrawOp op) { ops.push_back(std::move(op)); }
    const std::vector<gDrawOp>& operations() const { return ops; }

    // Texts as they are and pictures as "[picture PATH]", joined by " | ".
    std::string describe() const;

private:
    std::vector<gDrawOp> ops;
};
