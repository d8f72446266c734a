// A fixed scene of the stand-in's widgets: its dump against a snapshot, and its
// pixels against tests/host/golden/scene.png, 1/255 per channel allowed (glyphs
// may differ so on a 32-bit build; a swapped or lost channel may not). A
// mismatch writes scene_err.png into the build folder. MATCHRAY_UPDATE_GOLDEN=1
// renews both references: review them before committing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "EntryRecorder.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "eButton.h"
#include "eDesktop.h"
#include "eLabel.h"
#include "eListBox.h"
#include "eMessageBox.h"
#include "eSkin.h"
#include "eTextPara.h"
#include "gFBDC.h"
#include "gPainter.h"
#include "loadPNG.h"

namespace {

struct FlagEntry : eListBoxEntry {
    FlagEntry(eListBoxBase* list, const char* text, gPixmap* flag)
        : eListBoxEntry(list), text(text), flag(flag) {
        para->setFont(eSkin::getActive()->queryFont("global.fixed"));
        para->renderString(text);
    }
    ~FlagEntry() override { para->destroy(); }
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeB, gColor activeF,
                          gColor normalB, gColor normalF, int state) override {
        drawEntryRect(painter, rect, activeB, activeF, normalB, normalF, state);
        painter->renderPara(*para, ePoint(0, rect.top() + 5));
        if (flag) painter->blit(*flag, ePoint(5, rect.top() + 10), gPainter::BF_ALPHATEST);
        painter->line(ePoint(4, rect.bottom() - 1), ePoint(rect.width() - 8, rect.bottom() - 1));
        return text;
    }
    eString text;
    gPixmap* flag;
    eTextPara* para = new eTextPara(eRect(30, 0, 200, 50));
};

TEST(Golden, SceneMatchesItsDumpAndItsPicture) {
    const std::string reference = MATCHRAY_SOURCE_DIR "/tests/host/golden/scene.png";
    TempRoot root;
    root.writeFile("/flag.png", readBinary(MATCHRAY_FLAGS_DIR "/gb.png"));
    root.writeFile("/scene.png", readBinary(reference));
    std::unique_ptr<gPixmap> expected(loadPNG("/scene.png"));
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
    auto* hidden = new eLabel(&window);  // left out of the dump, with its child
    hidden->hide();
    new eLabel(hidden);
    window.setFocus(list);
    window.show();
    eWindow notShown(1);
    eMessageBox notice("Download data\nPlease wait...", "Match Ray", 16, 1, 0);
    notice.show();
    expectSnapshot("host-scene", eDesktop::instance().dump());
    const gPixmap& screen = gFBDC::getInstance()->getPixmap();
    if (std::getenv("MATCHRAY_UPDATE_GOLDEN")) {
        ASSERT_TRUE(savePNG(reference, screen));
        GTEST_SKIP() << "wrote " << reference;
    }
    ASSERT_TRUE(expected && expected->size() == screen.size()) << "no reference " << reference;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            for (int shift = 0; shift < 32; shift += 8) {
                const int want = (expected->pixel(x, y) >> shift) & 0xff;
                const int got = (screen.pixel(x, y) >> shift) & 0xff;
                if (std::abs(want - got) <= 1) continue;
                savePNG("scene_err.png", screen);
                FAIL() << "first difference at " << x << "," << y << " (bit " << shift
                       << "): expected " << want << ", got " << got << "; see scene_err.png";
            }
        }
    }
}

}  // namespace
