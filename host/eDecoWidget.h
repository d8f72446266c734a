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
    void redrawFrame(gPainter* painter) override;
    void recalcClientRect() override;
    eSize frameSizeFor(eSize clientSize) const override;
    ePoint clientOffset() const override { return ePoint(decoBorder, decoBorder); }

private:
    eString decoName;
    int decoBorder = 0;
    gColor decoColor;
};
