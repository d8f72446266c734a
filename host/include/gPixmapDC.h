#pragma once
// A device context that draws into a pixmap. It does not own the pixmap.

#include "gPixmap.h"

class gPixmapDC {
public:
    explicit gPixmapDC(gPixmap* pixmap) : pixmap(pixmap) {}
    virtual ~gPixmapDC() = default;
    gPixmap& getPixmap() const { return *pixmap; }

private:
    gPixmap* pixmap;
};
