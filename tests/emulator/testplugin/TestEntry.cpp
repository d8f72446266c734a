#include "TestEntry.h"

#include "eSkin.h"
#include "gPainter.h"
#include "loadPNG.h"

namespace {

constexpr int textLeft = 40;
constexpr ePoint flagPosition(10, 20);

}  // namespace

TestEntry::TestEntry(eListBox<TestEntry>* list, const eString& country, const eString& code)
    : eListBoxEntry(list), country(country) {
    const eString path = "/var/tuxbox/config/pitchside/countries/" + code + ".png";
    flag.reset(loadPNG(path.c_str()));
    para.reset(new eTextPara(eRect(textLeft, 12, 400, 30)));
    para->setFont(eSkin::getActive()->queryFont("global.fixed"));
    para->renderString(country);
}

const eString& TestEntry::redraw(gPainter* painter, const eRect& rect, gColor coActiveB,
                                 gColor coActiveF, gColor coNormalB, gColor coNormalF, int state) {
    drawEntryRect(painter, rect, coActiveB, coActiveF, coNormalB, coNormalF, state);
    painter->renderPara(*para, rect.topLeft());
    if (flag) painter->blit(*flag, rect.topLeft() + flagPosition, gPainter::BF_ALPHATEST, rect);
    return country;
}
