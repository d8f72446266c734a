#include "gPainter.h"

#include <cstdlib>

#include "eTextPara.h"
#include "gBlend.h"
#include "gPixmap.h"

namespace {

eRect pixmapRect(const gPixmap& pixmap) {
    return eRect(ePoint(), pixmap.size());
}

}  // namespace

gPainter::gPainter(gPixmapDC& dc, eRect rect) : target(dc.getPixmap()) {
    if (rect.isEmpty()) {
        clip = pixmapRect(target);
    } else {
        origin = rect.topLeft();
        clip = rect.intersected(pixmapRect(target));
    }
}

gPainter::gPainter(gPixmap& target, ePoint origin, eRect clip)
    : target(target), origin(origin), clip(clip) {}

gPainter gPainter::sub(const eRect& area) const {
    eRect absolute = area.translated(origin);
    gPainter painter(target, absolute.topLeft(), clip.intersected(absolute));
    painter.foreground = foreground;
    painter.background = background;
    painter.recordTo = recordTo;
    return painter;
}

gPainter gPainter::restricted(const eRect& area) const {
    gPainter painter(target, origin, clip.intersected(area.translated(origin)));
    painter.foreground = foreground;
    painter.background = background;
    painter.recordTo = recordTo;
    return painter;
}

void gPainter::record(gDrawOp::Kind kind, std::string text, const eRect& area, gColor color) {
    if (recordTo) recordTo->add(gDrawOp{kind, std::move(text), area, color});
}

void gPainter::fill(const eRect& area) {
    record(gDrawOp::Kind::fill, std::string(), area, background);
    eRect r = area.translated(origin).intersected(clip);
    for (int y = r.top(); y < r.bottom(); ++y) {
        uint32_t* row = target.row(y);
        for (int x = r.left(); x < r.right(); ++x) row[x] = background.argb;
    }
}

void gPainter::line(ePoint start, ePoint end) {
    record(gDrawOp::Kind::line, std::string(), eRect::fromEdges(start.x, start.y, end.x, end.y),
           foreground);
    // Bresenham, every point checked against the clip.
    int x = start.x + origin.x;
    int y = start.y + origin.y;
    const int x2 = end.x + origin.x;
    const int y2 = end.y + origin.y;
    const int dx = std::abs(x2 - x);
    const int dy = -std::abs(y2 - y);
    const int sx = x < x2 ? 1 : -1;
    const int sy = y < y2 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (clip.contains(ePoint(x, y))) target.setPixel(x, y, foreground.argb);
        if (x == x2 && y == y2) break;
        int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += sx;
        }
        if (doubled <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void gPainter::renderPara(eTextPara& para, ePoint offset) {
    record(gDrawOp::Kind::text, para.getText(), para.getArea().translated(offset), foreground);
    para.draw(target, origin + offset, clip, foreground.argb);
}

void gPainter::blit(gPixmap& pixmap, ePoint pos, int flags, eRect clipArea) {
    eRect placed(pos, pixmap.size());
    record(gDrawOp::Kind::picture, pixmap.source, placed, foreground);
    eRect r = placed.translated(origin).intersected(clip);
    if (!clipArea.isEmpty()) r = r.intersected(clipArea.translated(origin));
    if (r.isEmpty()) return;
    const ePoint shift = pos + origin;
    for (int y = r.top(); y < r.bottom(); ++y) {
        const uint32_t* from = pixmap.row(y - shift.y);
        uint32_t* to = target.row(y);
        for (int x = r.left(); x < r.right(); ++x) {
            uint32_t pixel = from[x - shift.x];
            to[x] = (flags & BF_ALPHATEST) ? gBlend(to[x], pixel, 255) : pixel;
        }
    }
}

void gPainter::mergePalette(gPixmap&) {}
