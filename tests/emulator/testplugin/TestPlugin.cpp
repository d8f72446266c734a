// The emulator tests' plug-in: a window titled by /emutest/greeting, two colour buttons, a list of
// flags (ok asks; confirming returns the entry's number from 1), a status line set by a worker
// thread.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "eButton.h"
#include "eConfig.h"
#include "eListBox.h"
#include "eMessageBox.h"
#include "eSkin.h"
#include "eTextPara.h"
#include "gPainter.h"
#include "loadPNG.h"

namespace {

struct FlagEntry : eListBoxEntry {
    FlagEntry(eListBox<FlagEntry>* list, const char* code) : eListBoxEntry(list), code(code) {
        para->setFont(eSkin::getActive()->queryFont("global.fixed"));
        para->renderString(this->code == "xx" ? "Zürich 20:45" : code);
    }
    ~FlagEntry() override { para->destroy(); }
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeB, gColor activeF,
                          gColor normalB, gColor normalF, int state) override {
        drawEntryRect(painter, rect, activeB, activeF, normalB, normalF, state);
        painter->renderPara(*para, rect.topLeft() + ePoint(0, 5));
        painter->line(ePoint(4, rect.bottom() - 1), ePoint(rect.width() - 8, rect.bottom() - 1));
        const eString path = "/var/tuxbox/config/pitchside/countries/" + code + ".png";
        if (std::unique_ptr<gPixmap> flag{loadPNG(path.c_str())})
            painter->blit(*flag, rect.topLeft() + ePoint(10, 20), gPainter::BF_ALPHATEST);
        return code;
    }
    eString code;
    eTextPara* para = new eTextPara(eRect(60, 0, 200, 50));
};

struct GreetingWindow : eWindow {
    explicit GreetingWindow(const eString& greeting) : eWindow(1) {
        setText(greeting);
        cmove(ePoint(60, 60));
        cresize(eSize(600, 440));
        for (const char* colour : {"red", "green"}) {
            auto* button = new eButton(this);
            button->move(ePoint(getChildren().size() * 150, 5));
            button->resize(eSize(140, 40));
            button->setText(colour);
            button->setShortcut(colour);
            button->setShortcutPixmap(colour);
            button->setPixmapPosition(ePoint(1, 1));
            button->loadDeco();
            button->selected.connect([this, button, colour] {
                status->setText(button->getText() + " pressed");
                button->setBackgroundColor(
                    eSkin::getActive()->queryColor(eString("std_d") + colour));
            });
        }
        auto* list = new eListBox<FlagEntry>(this, nullptr, 1, 50);  // four entries fit
        list->move(ePoint(10, 55));
        list->resize(eSize(580, 200));
        for (const char* code : {"de", "fr", "it", "es", "br", "xx"}) new FlagEntry(list, code);
        list->selected.connect([this, list](FlagEntry* entry) {
            eMessageBox box("Choose " + entry->code + "?", "Choice", eMessageBox::btOK);
            box.show();
            if (box.exec() == eMessageBox::btOK) close(list->getCurrentIndex() + 1);
            box.hide();
        });
        status->move(ePoint(10, 270));
        status->resize(eSize(580, 30));
        status->setProperty("align", "right");
        auto* hidden = new eLabel(this);  // left out of the dump, with its child
        hidden->hide();
        new eLabel(hidden);
        setFocus(list);
    }
    ~GreetingWindow() override { worker.join(); }

    eLabel* status = new eLabel(this);
    std::thread worker{[label = status] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        label->setText("Set by the worker");  // the host hands it to the GUI loop
    }};
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int plugin_exec() {
    eString greeting = "No greeting";
    char* value = nullptr;
    if (eConfig::instance()->getKey("/emutest/greeting", value) == 0) {
        greeting = eString("Greeting: ") + value;
        free(value);
    }
    GreetingWindow window(greeting);
    eWindow notShown(1);
    window.show();
    const int result = window.exec();
    window.hide();
    return result;
}
