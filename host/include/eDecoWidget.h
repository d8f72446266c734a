#pragma once
// A widget with a decoration from the skin: a border of a given width and colour.
// Once loaded, the border lies inside the frame and the client area shrinks by it.

#include "eWidget.h"

class eDecoWidget : public eWidget {
public:
    eDecoWidget(eWidget* parent, int takefocus, const char* decoName);

    // Looks the decoration up in the active skin. False when the skin has none.
    bool loadDeco();

protected:
    void eraseBackground(gPainter* painter, const eRect& area) override;

private:
    eString decoName;
    int decoBorder = 0;
    gColor decoColor;
};
