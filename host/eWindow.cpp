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
    kindName = "eWindow";
    useSkinBackground("eWindow.background");
    setFrameInsets(border, titleHeight, border, border);
}

eWindow::~eWindow() = default;

int eWindow::eventHandler(const eWidgetEvent& event) {
    switch (event.type) {
        case eWidgetEvent::keyPressed:
            if (event.key != eKey::exit) break;
            reject();
            return 1;
        case eWidgetEvent::changedText:
        case eWidgetEvent::changedSize:
            titlePara.reset();
            break;
        default:
            break;
    }
    return eWidget::eventHandler(event);
}

void eWindow::eraseBackground(gPainter* painter, const eRect& area) {
    eWidget::eraseBackground(painter, area);
    const eSkin* skin = eSkin::getActive();
    const eSize frame = area.size();
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
