#pragma once
// A rectangle given by its edges: left and top are inside, right and bottom are
// one past the last column and row. The default rectangle is empty (all edges 0).

#include <algorithm>

#include "ePoint.h"

class eRect {
public:
    constexpr eRect() = default;
    constexpr eRect(int left, int top, int width, int height)
        : x1(left), y1(top), x2(left + width), y2(top + height) {}
    constexpr eRect(ePoint topLeft, eSize size)
        : eRect(topLeft.x, topLeft.y, size.width, size.height) {}
    static constexpr eRect fromEdges(int left, int top, int right, int bottom) {
        eRect r;
        r.x1 = left;
        r.y1 = top;
        r.x2 = right;
        r.y2 = bottom;
        return r;
    }

    constexpr int left() const { return x1; }
    constexpr int top() const { return y1; }
    constexpr int right() const { return x2; }
    constexpr int bottom() const { return y2; }
    constexpr int width() const { return x2 - x1; }
    constexpr int height() const { return y2 - y1; }
    constexpr ePoint topLeft() const { return {x1, y1}; }
    constexpr eSize size() const { return {width(), height()}; }
    constexpr bool isEmpty() const { return x2 <= x1 || y2 <= y1; }
    constexpr bool contains(ePoint p) const {
        return p.x >= x1 && p.x < x2 && p.y >= y1 && p.y < y2;
    }

    constexpr eRect translated(ePoint d) const {
        return fromEdges(x1 + d.x, y1 + d.y, x2 + d.x, y2 + d.y);
    }
    eRect intersected(const eRect& o) const {
        eRect r = fromEdges(std::max(x1, o.x1), std::max(y1, o.y1), std::min(x2, o.x2),
                            std::min(y2, o.y2));
        return r.isEmpty() ? eRect() : r;
    }
    constexpr bool operator==(const eRect& o) const {
        return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2;
    }
    constexpr bool operator!=(const eRect& o) const { return !(*this == o); }

private:
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
