#include "eLabel.h"

#include <algorithm>
#include <cmath>

#include "eSkin.h"
#include "eTextPara.h"
#include "gPainter.h"

namespace {

constexpr int shortcutDiameter = 16;
constexpr int shortcutGap = 3;

// A filled circle with a soft edge, built with shifts so it is the same on any byte order.
std::unique_ptr<gPixmap> makeShortcutPixmap(const eString& name) {
    const gColor color = eSkin::getActive()->queryColor("key." + name);
    auto pixmap = std::make_unique<gPixmap>(shortcutDiameter, shortcutDiameter, gColor(0));
    const double radius = shortcutDiameter / 2.0;
    for (int y = 0; y < shortcutDiameter; ++y) {
        for (int x = 0; x < shortcutDiameter; ++x) {
            const double distance = std::hypot(x + 0.5 - radius, y + 0.5 - radius);
            const double coverage = std::clamp(radius - distance, 0.0, 1.0);
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
    useSkinForeground("eLabel.foreground");
}

eLabel::~eLabel() = default;

void eLabel::setShortcutPixmap(const eString& name) {
    shortcutPixmap = makeShortcutPixmap(name);
    textChanged();
    invalidate();
}

void eLabel::setProperty(const eString& property, const eString& value) {
    if (property == "align") {
        align = alignmentFor(value);
        textChanged();
    }
    eDecoWidget::setProperty(property, value);
}

void eLabel::textChanged() {
    para.reset();
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
