#pragma once
// Draws into a device context. The rectangle given at construction is both the
// clip and the origin: coordinates passed to the painter are relative to its
// top-left corner. An empty rectangle means the whole pixmap with origin (0, 0).

#include "eRect.h"
#include "gColor.h"
#include "gDrawRecord.h"
#include "gPixmapDC.h"

class eTextPara;
class gPixmap;

class gPainter {
public:
    // Blit flag: skip fully transparent pixels and blend the rest by their alpha.
    static constexpr int BF_ALPHATEST = 1;

    gPainter(gPixmapDC& dc, eRect rect = eRect());

    void setForegroundColor(const gColor& color) { foreground = color; }
    void setBackgroundColor(const gColor& color) { background = color; }
    const gColor& getForegroundColor() const { return foreground; }
    const gColor& getBackgroundColor() const { return background; }

    // Fills the area with the background colour.
    void fill(const eRect& area);
    // Draws a one-pixel line in the foreground colour (horizontal, vertical or any).
    void line(ePoint start, ePoint end);
    // Draws a laid-out paragraph in the foreground colour, moved by offset.
    // Only renders: the paragraph's layout is never redone here.
    void renderPara(eTextPara& para, ePoint offset = ePoint());
    // Copies a picture to pos. flags 0 copies, BF_ALPHATEST blends by alpha.
    // A non-empty clip further restricts the drawn area.
    void blit(gPixmap& pixmap, ePoint pos, int flags = 0, eRect clip = eRect());
    // Adapts a picture's palette to the target's. Nothing to do for true colour.
    void mergePalette(gPixmap& target);

    // Every later drawing operation is also appended to record (may be null).
    void setRecord(gDrawRecord* record) { recordTo = record; }
    gDrawRecord* getRecord() const { return recordTo; }

    // A painter whose origin is area's top-left (area in this painter's
    // coordinates) and whose clip is also restricted to area. Colours and
    // record are copied.
    gPainter sub(const eRect& area) const;
    // The same origin, with the clip further restricted to area.
    gPainter restricted(const eRect& area) const;

    gPixmap& getPixmap() const { return target; }
    ePoint getOrigin() const { return origin; }
    // The clip in the painter's own coordinates.
    eRect getClip() const { return clip.translated(ePoint() - origin); }

private:
    gPainter(gPixmap& target, ePoint origin, eRect clip);
    void record(gDrawOp::Kind kind, std::string text, const eRect& area, gColor color);

    gPixmap& target;
    ePoint origin;
    eRect clip;  // in target coordinates
    gColor foreground = gColor(0xffffffffu);
    gColor background = gColor(0xff000000u);
    gDrawRecord* recordTo = nullptr;
};
