// Drawing on pixmaps: fills, lines and blits with their clips, text paragraphs,
// PNG pictures written and read. The painter draws white on black by default.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"
#include "eTextPara.h"
#include "gPainter.h"
#include "loadPNG.h"

namespace {

constexpr uint32_t black = 0xff000000u, white = 0xffffffffu, ground = 0xff203040u;

// The pixmap as rows of letters, one per colour, and the colours' legend.
std::string art(const gPixmap& pixmap) {
    std::map<uint32_t, char> letters{{ground, '.'}};
    std::string rows, legend;
    for (int y = 0; y < pixmap.height(); ++y, rows += '\n') {
        for (int x = 0; x < pixmap.width(); ++x) {
            auto [at, added] = letters.emplace(pixmap.pixel(x, y), 'a' + letters.size() - 1);
            if (added) legend += eString().sprintf(" %c=#%08X", at->second, at->first);
            rows += at->second;
        }
    }
    return rows + legend + "\n";
}

TEST(Painter, DrawsOnlyWithinItsClip) {
    gPixmap picture(4, 4, gColor(0xff0000ffu));
    picture.setPixel(0, 0, 0x00ffffffu);  // transparent
    picture.setPixel(1, 0, 0x80ffffffu);  // half white
    const std::pair<const char*, std::function<void(gPixmapDC&)>> cases[] = {
        {"fill reaching outside the painter",
         [](gPixmapDC& dc) { gPainter(dc, eRect(2, 1, 4, 3)).fill(eRect(-5, -5, 20, 20)); }},
        {"no rectangle: the whole pixmap",
         [](gPixmapDC& dc) { gPainter(dc).fill(eRect(7, 5, 1, 1)); }},
        {"lines, one past both clip edges",
         [](gPixmapDC& dc) {
             gPainter painter(dc, eRect(1, 1, 5, 5));
             painter.line(ePoint(0, 0), ePoint(3, 0));
             painter.line(ePoint(0, 1), ePoint(2, 3));
             painter.line(ePoint(-3, 4), ePoint(9, 4));
         }},
        {"blit copies alpha, within the painter",
         [&](gPixmapDC& dc) { gPainter(dc, eRect(1, 1, 3, 6)).blit(picture, ePoint(0, 0)); }},
        {"blit blends by alpha, within an extra clip",
         [&](gPixmapDC& dc) {
             gPainter(dc).blit(picture, ePoint(0, 0), gPainter::BF_ALPHATEST, eRect(0, 0, 3, 2));
         }},
    };
    std::string drawn;
    for (const auto& [name, draw] : cases) {
        gPixmap pixmap(8, 6, gColor(ground));
        gPixmapDC dc(&pixmap);
        draw(dc);
        drawn += std::string(name) + ":\n" + art(pixmap);
    }
    expectSnapshot("host-painter", drawn);
}

const std::string pictures = MATCHRAY_SOURCE_DIR "/tests/host/pictures/";

TEST(Png, ReadsPicturesAsAnIndependentDecoderDoes) {
    TempRoot root;
    std::string read;
    for (const char* file : {"/tmp/rgb.png", "/tmp/palette.png", "/tmp/gray16.png"}) {
        root.writeFile(file, readBinary(pictures + (file + 5)));
        std::unique_ptr<gPixmap> picture(loadPNG(file));
        ASSERT_TRUE(picture) << file;
        read += picture->source + ":\n" + art(*picture);
    }
    expectSnapshot("host-png", read);
}

// Empty, cut, corrupt, not a picture, too wide for the receiver; missing, a folder, no name.
TEST(Png, RefusesWhatIsNoPicture) {
    TempRoot root;
    for (const auto& file : std::filesystem::directory_iterator(pictures + "broken")) {
        root.writeFile("/tmp/broken.png", readBinary(file.path()));
        EXPECT_EQ(loadPNG("/tmp/broken.png"), nullptr) << file.path();
    }
    root.writeFile("/tmp/dir.png/x", "");
    for (const char* file : {"/tmp/missing.png", "/tmp/dir.png", static_cast<const char*>(nullptr)})
        EXPECT_EQ(loadPNG(file), nullptr) << (file ? file : "null");
}

const std::tuple<const char*, int, int, int, int> paragraphs[] = {
    // text, width, alignment, flags, font size
    {"Air", 200, eTextPara::dirLeft, 0, 20},
    {"Air", 200, eTextPara::dirRight, 0, 20},
    {"Air", 200, eTextPara::dirCenter, 0, 20},
    {"Air Air Air", 400, eTextPara::dirLeft, 0, 20},
    {"Air Air Air", 40, eTextPara::dirLeft, 0, 20},
    {"Air Air\nAir", 40, eTextPara::dirLeft, eTextPara::noWrap, 20},
    {"Download data\nPlease w\xC3\xA4it...", 400, eTextPara::dirLeft, 0, 20},
    {"Air", 400, eTextPara::dirLeft, 0, 0}};

// Lays out each paragraph, then draws it into pixmap within a 100x100 clip.
std::string layOut(gPixmap& pixmap) {
    std::string laidOut;
    for (const auto& [text, width, align, flags, size] : paragraphs) {
        eTextPara* para = new eTextPara(eRect(10, 0, width, 90));
        para->setFont(gFont("DejaVuSans", size));
        const int result = para->renderString(text, flags);
        para->realign(align);
        para->draw(pixmap, ePoint(), eRect(0, 0, 100, 100), white);
        const eRect box = para->getBoundBox();
        laidOut += eString().sprintf("%s in %d, size %d, align %d: %d, %d lines, x %d-%d y %d-%d\n",
                                     text, width, size, align, result, para->getLineCount(),
                                     box.left(), box.right(), box.top(), box.bottom());
        para->destroy();
    }
    return laidOut;
}

TEST(TextPara, LaysOutAsTheSnapshotShows) {
    gPixmap pixmap(230, 100, gColor(black));
    expectSnapshot("host-textpara", layOut(pixmap));
}

TEST(TextPara, DrawsOnlyWithinTheClip) {
    gPixmap pixmap(230, 100, gColor(black));
    layOut(pixmap);
    int lit[2] = {0, 0};  // within the clip, past it
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 230; ++x) lit[x >= 100] += pixmap.pixel(x, y) != black;
    EXPECT_GT(lit[0], 100);
    EXPECT_EQ(lit[1], 0);
}

}  // namespace
