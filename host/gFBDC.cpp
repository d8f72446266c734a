#include "gFBDC.h"

gFBDC* gFBDC::getInstance() {
    static gFBDC instance;
    return &instance;
}

// The base only keeps the pixmap's address, so handing it over before the
// member is built is fine.
gFBDC::gFBDC() : gPixmapDC(&screen), screen(screenWidth, screenHeight, gColor(0xff000000u)) {}
