#include "eDecoWidget.h"

#include "eSkin.h"
#include "gPainter.h"

eDecoWidget::eDecoWidget(eWidget* parent, int takefocus, const char* decoName)
    : eWidget(parent, takefocus), decoName(decoName) {}

bool eDecoWidget::loadDeco() {
    const eSkin* skin = eSkin::getActive();
    if (!skin->hasDeco(decoName)) return false;
    const eSkin::Deco deco = skin->queryDeco(decoName);
    decoBorder = deco.border;
    decoColor = deco.color;
    setFrameInsets(decoBorder, decoBorder, decoBorder, decoBorder);
    return true;
}

void eDecoWidget::eraseBackground(gPainter* painter, const eRect& area) {
    eWidget::eraseBackground(painter, area);
    if (decoBorder <= 0) return;
    const int b = decoBorder;
    painter->setBackgroundColor(decoColor);
    painter->fill(eRect(0, 0, area.width(), b));
    painter->fill(eRect(0, area.height() - b, area.width(), b));
    painter->fill(eRect(0, b, b, area.height() - 2 * b));
    painter->fill(eRect(area.width() - b, b, b, area.height() - 2 * b));
}
