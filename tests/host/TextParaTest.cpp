#include <gtest/gtest.h>

#include <memory>

#include "eTextPara.h"
#include "gPainter.h"
#include "gPixmap.h"

namespace {

constexpr uint32_t black = 0xff000000u;
constexpr uint32_t white = 0xffffffffu;

struct ParaDeleter {
    void operator()(eTextPara* para) const { para->destroy(); }
};
using Para = std::unique_ptr<eTextPara, ParaDeleter>;

Para layout(const char* text, eRect area, int align = eTextPara::dirLeft,
            const char* family = "DejaVuSans") {
    Para para(new eTextPara(area));
    para->setFont(gFont(family, 20));
    EXPECT_EQ(para->renderString(text), 0);
    para->realign(align);
    return para;
}

// The columns that text was drawn into, as the range [first, last].
std::pair<int, int> inkColumns(const gPixmap& pixmap) {
    int first = pixmap.width();
    int last = -1;
    for (int y = 0; y < pixmap.height(); ++y) {
        for (int x = 0; x < pixmap.width(); ++x) {
            if (pixmap.pixel(x, y) != black) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

TEST(TextPara, DrawsGlyphPixelsInsideBoundBoxAtOffset) {
    gPixmap pixmap(120, 40, gColor(black));
    gPixmapDC dc(&pixmap);
    Para para = layout("Hi", eRect(0, 0, 100, 30));
    gPainter painter(dc);
    painter.setForegroundColor(gColor(white));
    painter.renderPara(*para, ePoint(10, 5));

    const eRect box = para->getBoundBox().translated(ePoint(10, 5));
    ASSERT_FALSE(box.isEmpty());
    int lit = 0;
    for (int y = 0; y < pixmap.height(); ++y) {
        for (int x = 0; x < pixmap.width(); ++x) {
            if (pixmap.pixel(x, y) == black) continue;
            EXPECT_TRUE(box.contains(ePoint(x, y))) << x << "," << y;
            ++lit;
        }
    }
    EXPECT_GT(lit, 30);
    // 'H' has a solid left stem: fully covered pixels near the box's left edge.
    bool solid = false;
    for (int y = box.top(); y < box.bottom(); ++y)
        solid |= pixmap.pixel(box.left() + 1, y) == white;
    EXPECT_TRUE(solid);
}

TEST(TextPara, DrawingNeverLaysOutAgain) {
    gPixmap pixmap(100, 30, gColor(black));
    gPixmapDC dc(&pixmap);
    const long before = eTextPara::layoutCount();
    Para para = layout("kick-off 20:45", eRect(0, 0, 100, 30));
    EXPECT_EQ(eTextPara::layoutCount(), before + 1);
    gPainter painter(dc);
    for (int i = 0; i < 5; ++i) painter.renderPara(*para, ePoint(0, i));
    para->realign(eTextPara::dirRight);
    painter.renderPara(*para);
    EXPECT_EQ(eTextPara::layoutCount(), before + 1);
}

TEST(TextPara, RealignMovesLinesLeftRightAndCentre) {
    const eRect area(10, 0, 200, 30);
    Para left = layout("13.0e", area, eTextPara::dirLeft);
    Para right = layout("13.0e", area, eTextPara::dirRight);
    Para centre = layout("13.0e", area, eTextPara::dirCenter);
    const eRect l = left->getBoundBox();
    const eRect r = right->getBoundBox();
    const eRect c = centre->getBoundBox();
    EXPECT_GE(l.left(), 10);
    EXPECT_LE(l.left(), 12);
    EXPECT_LE(r.right(), 210);
    EXPECT_GE(r.right(), 206);
    EXPECT_NEAR((c.left() + c.right()) / 2.0, 110, 3);
    EXPECT_EQ(l.width(), r.width());
    EXPECT_EQ(l.width(), c.width());
}

TEST(TextPara, WrapsAtBlanksAndNewlines) {
    Para one = layout("Air Air Air", eRect(0, 0, 400, 30));
    EXPECT_EQ(one->getLineCount(), 1);
    const int wordWidth = layout("Air", eRect(0, 0, 400, 30))->getBoundBox().right() + 3;
    Para wrapped = layout("Air Air Air", eRect(0, 0, wordWidth, 90));
    EXPECT_EQ(wrapped->getLineCount(), 3);
    EXPECT_LE(wrapped->getBoundBox().right(), wordWidth);
    // Each wrapped line starts at the left edge: no blank carried over.
    EXPECT_EQ(wrapped->getBoundBox().left(), one->getBoundBox().left());
    Para unwrapped(new eTextPara(eRect(0, 0, wordWidth, 90)));
    unwrapped->setFont(gFont("DejaVuSans", 20));
    unwrapped->renderString("Air Air\nAir", eTextPara::noWrap);
    EXPECT_EQ(unwrapped->getLineCount(), 2);
    EXPECT_GT(unwrapped->getTextSize().width, wordWidth);
    EXPECT_EQ(unwrapped->getTextSize().height, 2 * unwrapped->getLineHeight());

    Para lines = layout("Download data\nPlease wait...", eRect(0, 0, 400, 60));
    EXPECT_EQ(lines->getLineCount(), 2);
    EXPECT_GE(lines->getBoundBox().height(), lines->getLineHeight());
}

TEST(TextPara, ClipLimitsDrawing) {
    gPixmap pixmap(100, 30, gColor(black));
    Para para = layout("WWWWWW", eRect(0, 0, 100, 30));
    para->draw(pixmap, ePoint(), eRect(0, 0, 20, 30), white);
    const auto [first, last] = inkColumns(pixmap);
    EXPECT_GE(first, 0);
    EXPECT_LE(last, 19);
}

TEST(TextPara, Utf8AndMissingFont) {
    Para para = layout("Ž\xC3\xA9", eRect(0, 0, 100, 30));
    EXPECT_FALSE(para->getBoundBox().isEmpty());

    Para broken(new eTextPara(eRect(0, 0, 100, 30)));
    broken->setFont(gFont("DejaVuSans", 0));
    EXPECT_EQ(broken->renderString("x"), -1);
    EXPECT_TRUE(broken->getBoundBox().isEmpty());
}

}  // namespace
