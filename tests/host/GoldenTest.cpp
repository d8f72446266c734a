// Golden screenshot: a fixed scene of the stand-in's widgets, compared pixel by
// pixel with tests/host/golden/scene.png, 1/255 per channel allowed. On a
// mismatch the test writes scene_err.png into the build folder and names the
// first differing pixel.
// To regenerate the reference on purpose, run the test with
// MATCHRAY_UPDATE_GOLDEN=1 in the environment and review the new picture.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "TempRoot.h"
#include "eButton.h"
#include "eDesktop.h"
#include "eListBox.h"
#include "eMessageBox.h"
#include "eReceiverRoot.h"
#include "eSkin.h"
#include "eTextPara.h"
#include "eWindow.h"
#include "gFBDC.h"
#include "gPainter.h"
#include "loadPNG.h"

namespace {

const std::string goldenDir = MATCHRAY_SOURCE_DIR "/tests/host/golden";

class FlagEntry : public eListBoxEntry {
public:
    FlagEntry(eListBoxBase* list, const char* text, gPixmap* flag)
        : eListBoxEntry(list), text(text), flag(flag) {}
    ~FlagEntry() override {
        if (para) para->destroy();
    }
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeB, gColor activeF,
                          gColor normalB, gColor normalF, int state) override {
        drawEntryRect(painter, rect, activeB, activeF, normalB, normalF, state);
        if (!para) {
            para = new eTextPara(eRect(30, 0, rect.width() - 30, rect.height()));
            para->setFont(eSkin::getActive()->queryFont("global.fixed"));
            para->renderString(text);
            para->realign(eTextPara::dirLeft);
        }
        painter->renderPara(*para, ePoint(0, rect.top() + 5));
        if (flag) painter->blit(*flag, ePoint(5, rect.top() + 10), gPainter::BF_ALPHATEST);
        painter->line(ePoint(4, rect.bottom() - 1), ePoint(rect.width() - 8, rect.bottom() - 1));
        return text;
    }

private:
    eString text;
    gPixmap* flag;
    eTextPara* para = nullptr;
};

// Whether two pixels differ by more than 1 in any channel. FreeType's hinted,
// antialiased glyphs may come out 1/255 apart on a 32-bit build (PowerPC):
// that is not a fault, a swapped or lost channel is.
bool differ(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xffu);
        const int cb = static_cast<int>((b >> shift) & 0xffu);
        if (ca - cb > 1 || cb - ca > 1) return true;
    }
    return false;
}

// Where a and b first differ, or (-1, -1).
ePoint firstDifference(const gPixmap& a, const gPixmap& b) {
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (differ(a.pixel(x, y), b.pixel(x, y))) return ePoint(x, y);
        }
    }
    return ePoint(-1, -1);
}

TEST(Golden, SceneMatchesReference) {
    TempRoot root;
    root.writeFile("/flag.png", [] {
        FILE* file = std::fopen(MATCHRAY_FLAGS_DIR "/gb.png", "rb");
        std::string bytes;
        for (int c; file && (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
        if (file) std::fclose(file);
        return bytes;
    }());
    std::unique_ptr<gPixmap> flag(loadPNG("/flag.png"));
    ASSERT_TRUE(flag);

    eWindow window(1);
    window.cmove(ePoint(20, 40));
    window.cresize(eSize(230, 230));
    window.setText("Golden");
    auto* button = new eButton(&window);
    button->move(ePoint(8, 4));
    button->resize(eSize(120, 40));
    button->setShortcut("green");
    button->setPixmapPosition(ePoint(1, 1));
    button->setShortcutPixmap("green");
    button->setText("Filter");
    button->loadDeco();
    button->setBackgroundColor(eSkin::getActive()->queryColor("std_dgreen"));
    auto* list = new eListBox<FlagEntry>(&window, nullptr, 1, 50);
    list->move(ePoint(0, 50));
    list->resize(eSize(230, 150));
    new FlagEntry(list, "England", flag.get());
    new FlagEntry(list, "Zürich 20:45", nullptr);
    auto* label = new eLabel(&window);
    label->move(ePoint(0, 200));
    label->resize(eSize(230, 30));
    label->setProperty("align", "right");
    label->setText("right aligned");
    window.setFocus(list);
    window.show();
    eMessageBox notice("Download data\nPlease wait...", "Match Ray", 16, 1, 0);
    notice.show();
    eDesktop::instance().redrawIfNeeded();

    const gPixmap& screen = gFBDC::getInstance()->getPixmap();
    const std::string reference = goldenDir + "/scene.png";
    if (std::getenv("MATCHRAY_UPDATE_GOLDEN")) {
        ASSERT_TRUE(savePNG(reference, screen));
        GTEST_SKIP() << "wrote " << reference;
    }
    eReceiverRoot::set("/");
    std::unique_ptr<gPixmap> expected(loadPNG(reference.c_str()));
    eReceiverRoot::set(root.path());
    ASSERT_TRUE(expected) << "no reference " << reference;
    ASSERT_EQ(expected->size(), screen.size());
    const ePoint diff = firstDifference(*expected, screen);
    if (diff != ePoint(-1, -1)) {
        savePNG("scene_err.png", screen);
        char message[160];
        std::snprintf(message, sizeof message,
                      "first difference at %d,%d: expected #%08X, got #%08X; see scene_err.png",
                      diff.x, diff.y, static_cast<unsigned>(expected->pixel(diff.x, diff.y)),
                      static_cast<unsigned>(screen.pixel(diff.x, diff.y)));
        ADD_FAILURE() << message;
    }
}

}  // namespace
