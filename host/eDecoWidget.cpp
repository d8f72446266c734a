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
    recalcClientRect();
    textChanged();
    invalidate();
    return true;
}

void eDecoWidget::recalcClientRect() {
    const eSize frame = getSize();
    const int width = std::max(0, frame.width - 2 * decoBorder);
    const int height = std::max(0, frame.height - 2 * decoBorder);
    clientrect = eRect(decoBorder, decoBorder, width, height);
}

eSize eDecoWidget::frameSizeFor(eSize clientSize) const {
    return eSize(clientSize.width + 2 * decoBorder, clientSize.height + 2 * decoBorder);
}

void eDecoWidget::redrawFrame(gPainter* painter) {
    if (decoBorder <= 0) return;
    const eSize frame = getSize();
    const int b = decoBorder;
    painter->setBackgroundColor(decoColor);
    painter->fill(eRect(0, 0, frame.width, b));
    painter->fill(eRect(0, frame.height - b, frame.width, b));
    painter->fill(eRect(0, b, b, frame.height - 2 * b));
    painter->fill(eRect(frame.width - b, b, b, frame.height - 2 * b));
}
