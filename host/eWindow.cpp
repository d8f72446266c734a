#include "eWindow.h"

#include <algorithm>

#include "eSkin.h"
#include "eTextPara.h"
#include "gPainter.h"

namespace {

constexpr int titleMargin = 8;

}  // namespace

void eWindow::ParaDeleter::operator()(eTextPara* para) const {
    para->destroy();
}

eWindow::eWindow(int takefocus) : eWidget(nullptr, takefocus) {
    useSkinBackground("eWindow.background");
}

int eWindow::eventHandler(const eWidgetEvent& event) {
    if (event.type == eWidgetEvent::keyPressed && event.key == eKey::exit) {
        reject();
        return 1;
    }
    return eWidget::eventHandler(event);
}

void eWindow::recalcClientRect() {
    const eSize frame = getSize();
    clientrect = eRect(border, titleHeight, std::max(0, frame.width - 2 * border),
                       std::max(0, frame.height - titleHeight - border));
}

eSize eWindow::frameSizeFor(eSize clientSize) const {
    return eSize(clientSize.width + 2 * border, clientSize.height + titleHeight + border);
}

ePoint eWindow::clientOffset() const {
    return ePoint(border, titleHeight);
}

void eWindow::textChanged() {
    titlePara.reset();
}

void eWindow::redrawFrame(gPainter* painter) {
    const eSkin* skin = eSkin::getActive();
    const eSize frame = getSize();
    painter->setBackgroundColor(skin->queryColor("eWindow.titleBar"));
    painter->fill(eRect(0, 0, frame.width, titleHeight));
    painter->setBackgroundColor(skin->queryColor("eWindow.border"));
    painter->fill(eRect(0, titleHeight, border, frame.height - titleHeight));
    painter->fill(eRect(frame.width - border, titleHeight, border, frame.height - titleHeight));
    painter->fill(eRect(0, frame.height - border, frame.width, border));
    if (!titlePara) {
        titlePara.reset(new eTextPara(
            eRect(titleMargin, 0, std::max(0, frame.width - 2 * titleMargin), titleHeight)));
        titlePara->setFont(skin->queryFont("eWindow.TitleBarFont"));
        titlePara->renderString(getText(), eTextPara::noWrap);
    }
    const int textHeight = titlePara->getTextSize().height;
    painter->setForegroundColor(skin->queryColor("eWindow.titleText"));
    painter->renderPara(*titlePara, ePoint(0, std::max(0, (titleHeight - textHeight) / 2)));
}
