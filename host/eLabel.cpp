#include "eLabel.h"

#include <algorithm>
#include <cmath>

#include "eSkin.h"
#include "eTextPara.h"
#include "gPainter.h"

namespace {

// The host's colour-key symbol: a slim bar in the key's colour, so a caption
// beside it keeps nearly the whole width of a narrow button.
constexpr int shortcutWidth = 5;
constexpr int shortcutHeight = 30;
constexpr int shortcutGap = 3;

// A bar with rounded ends, built with shifts so it is the same on any byte order.
std::unique_ptr<gPixmap> makeShortcutPixmap(const eString& name) {
    const gColor color = eSkin::getActive()->queryColor("key." + name);
    auto pixmap = std::make_unique<gPixmap>(shortcutWidth, shortcutHeight, gColor(0));
    const double radius = shortcutWidth / 2.0;
    for (int y = 0; y < shortcutHeight; ++y) {
        // Distance from the bar's axis segment gives a soft, round end.
        const double cy = std::clamp(y + 0.5, radius, shortcutHeight - radius);
        for (int x = 0; x < shortcutWidth; ++x) {
            const double distance = std::hypot(x + 0.5 - radius, y + 0.5 - cy);
            const double coverage = std::clamp(radius - distance + 0.5, 0.0, 1.0);
            const auto alpha = static_cast<uint32_t>(std::lround(coverage * color.alpha()));
            pixmap->setPixel(x, y, (alpha << 24) | (color.argb & 0x00ffffffu));
        }
    }
    pixmap->source = "shortcut:" + name;
    return pixmap;
}

int alignmentFor(const eString& value) {
    if (value == "center" || value == "centre") return eTextPara::dirCenter;
    if (value == "right") return eTextPara::dirRight;
    return eTextPara::dirLeft;
}

}  // namespace

void eLabel::ParaDeleter::operator()(eTextPara* para) const {
    para->destroy();
}

eLabel::eLabel(eWidget* parent, int flags, int takefocus, const char* deco)
    : eDecoWidget(parent, takefocus, deco), flags(flags) {
    kindName = "eLabel";
    useSkinForeground("eLabel.foreground");
}

eLabel::~eLabel() = default;

void eLabel::setShortcutPixmap(const eString& name) {
    shortcutPixmap = makeShortcutPixmap(name);
    para.reset();
    invalidate();
}

void eLabel::setProperty(const eString& property, const eString& value) {
    if (property == "align") {
        align = alignmentFor(value);
        para.reset();
    }
    eDecoWidget::setProperty(property, value);
}

int eLabel::eventHandler(const eWidgetEvent& event) {
    switch (event.type) {
        case eWidgetEvent::changedText:
        case eWidgetEvent::changedFont:
        case eWidgetEvent::changedSize:
            para.reset();
            break;
        default:
            break;
    }
    return eDecoWidget::eventHandler(event);
}

void eLabel::redrawWidget(gPainter* painter, const eRect& area) {
    int textLeft = 0;
    if (shortcutPixmap) {
        painter->blit(*shortcutPixmap, pixmapPosition, gPainter::BF_ALPHATEST);
        textLeft = pixmapPosition.x + shortcutPixmap->width() + shortcutGap;
    }
    if (!para) {
        // Laid out only after a change of text, font or size.
        para.reset(
            new eTextPara(eRect(textLeft, 0, std::max(0, area.width() - textLeft), area.height())));
        para->setFont(font.pointSize > 0 ? font : eSkin::getActive()->queryFont("eLabel.font"));
        para->renderString(text, (flags & flagWrap) ? 0 : eTextPara::noWrap);
        para->realign(align);
    }
    const int textHeight = para->getTextSize().height;
    painter->setForegroundColor(getForegroundColor());
    painter->renderPara(*para, ePoint(0, std::max(0, (area.height() - textHeight) / 2)));
}
