#pragma once
// The screen's device context: a 720 x 576 true-colour framebuffer in memory.
// On a receiver this is the frame buffer device; here a front end shows it.

#include "gPixmapDC.h"

class gFBDC : public gPixmapDC {
public:
    static constexpr int screenWidth = 720;
    static constexpr int screenHeight = 576;

    static gFBDC* getInstance();

private:
    gFBDC();
    gPixmap screen;
};
