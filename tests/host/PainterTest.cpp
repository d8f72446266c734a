#include <gtest/gtest.h>

#include "gDrawRecord.h"
#include "gPainter.h"
#include "gPixmap.h"

namespace {

constexpr uint32_t black = 0xff000000u;
constexpr uint32_t red = 0xffff0000u;
constexpr uint32_t blue = 0xff0000ffu;

struct Canvas {
    gPixmap pixmap{8, 6, gColor(black)};
    gPixmapDC dc{&pixmap};
};

TEST(Painter, FillIsRelativeToOriginAndClipped) {
    Canvas canvas;
    gPainter painter(canvas.dc, eRect(2, 1, 4, 3));
    painter.setBackgroundColor(gColor(red));
    painter.fill(eRect(-5, -5, 20, 20));  // reaches far outside the painter's rectangle
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 1 && y < 4;
            EXPECT_EQ(canvas.pixmap.pixel(x, y), inside ? red : black) << x << "," << y;
        }
    }
}

TEST(Painter, EmptyRectangleMeansWholePixmap) {
    Canvas canvas;
    gPainter painter(canvas.dc);
    painter.setBackgroundColor(gColor(blue));
    painter.fill(eRect(7, 5, 1, 1));
    EXPECT_EQ(canvas.pixmap.pixel(7, 5), blue);
    EXPECT_EQ(canvas.pixmap.pixel(6, 5), black);
}

TEST(Painter, LinesHorizontalDiagonalAndClipped) {
    Canvas canvas;
    gPainter painter(canvas.dc, eRect(1, 1, 5, 5));
    painter.setForegroundColor(gColor(red));
    painter.line(ePoint(0, 0), ePoint(3, 0));
    painter.line(ePoint(0, 1), ePoint(2, 3));
    painter.line(ePoint(-3, 4), ePoint(9, 4));  // runs past both clip edges
    EXPECT_EQ(canvas.pixmap.pixel(1, 1), red);
    EXPECT_EQ(canvas.pixmap.pixel(4, 1), red);
    EXPECT_EQ(canvas.pixmap.pixel(5, 1), black);
    EXPECT_EQ(canvas.pixmap.pixel(1, 2), red);
    EXPECT_EQ(canvas.pixmap.pixel(2, 3), red);
    EXPECT_EQ(canvas.pixmap.pixel(3, 4), red);
    EXPECT_EQ(canvas.pixmap.pixel(0, 5), black);
    EXPECT_EQ(canvas.pixmap.pixel(1, 5), red);
    EXPECT_EQ(canvas.pixmap.pixel(5, 5), red);
    EXPECT_EQ(canvas.pixmap.pixel(6, 5), black);
}

TEST(Painter, BlitCopiesOrBlendsByAlpha) {
    gPixmap picture(2, 1);
    picture.setPixel(0, 0, 0x00ffffffu);  // fully transparent
    picture.setPixel(1, 0, 0x80ffffffu);  // half white

    Canvas copied;
    gPainter(copied.dc).blit(picture, ePoint(1, 1));
    EXPECT_EQ(copied.pixmap.pixel(1, 1), 0x00ffffffu);
    EXPECT_EQ(copied.pixmap.pixel(2, 1), 0x80ffffffu);

    Canvas blended;
    gPainter(blended.dc).blit(picture, ePoint(1, 1), gPainter::BF_ALPHATEST);
    EXPECT_EQ(blended.pixmap.pixel(1, 1), black);
    EXPECT_EQ(blended.pixmap.pixel(2, 1), 0xff808080u);
}

TEST(Painter, BlitHonoursPainterAndExtraClip) {
    gPixmap picture(4, 4, gColor(blue));
    Canvas canvas;
    gPainter painter(canvas.dc, eRect(1, 1, 6, 4));
    painter.blit(picture, ePoint(-2, -2));  // only its bottom-right quarter is inside
    EXPECT_EQ(canvas.pixmap.pixel(1, 1), blue);
    EXPECT_EQ(canvas.pixmap.pixel(2, 2), blue);
    EXPECT_EQ(canvas.pixmap.pixel(3, 2), black);
    EXPECT_EQ(canvas.pixmap.pixel(0, 0), black);

    Canvas clipped;
    gPainter(clipped.dc).blit(picture, ePoint(0, 0), 0, eRect(1, 1, 2, 1));
    EXPECT_EQ(clipped.pixmap.pixel(0, 0), black);
    EXPECT_EQ(clipped.pixmap.pixel(1, 1), blue);
    EXPECT_EQ(clipped.pixmap.pixel(2, 1), blue);
    EXPECT_EQ(clipped.pixmap.pixel(3, 1), black);
    EXPECT_EQ(clipped.pixmap.pixel(1, 2), black);
}

TEST(Painter, RecordsOperationsInOrder) {
    Canvas canvas;
    gPainter painter(canvas.dc);
    gDrawRecord record;
    painter.setRecord(&record);
    gPixmap picture(1, 1);
    picture.source = "/var/flag.png";
    painter.fill(eRect(0, 0, 2, 2));
    painter.blit(picture, ePoint(3, 4), gPainter::BF_ALPHATEST);
    painter.line(ePoint(0, 0), ePoint(1, 1));
    ASSERT_EQ(record.operations().size(), 3u);
    EXPECT_EQ(record.operations()[1].kind, gDrawOp::Kind::picture);
    EXPECT_EQ(record.operations()[1].area, eRect(3, 4, 1, 1));
    EXPECT_EQ(record.describe(), "[picture /var/flag.png]");

    record.add({gDrawOp::Kind::text, "", eRect(), gColor()});
    record.add({gDrawOp::Kind::text, "Arsenal", eRect(), gColor()});
    EXPECT_EQ(record.describe(), "[picture /var/flag.png] |  | Arsenal");
}

}  // namespace
