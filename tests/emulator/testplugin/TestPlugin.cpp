// A plug-in for the emulator's tests: it writes the setting /emutest/greeting
// into a file under the receiver root, then runs a window with two colour
// buttons, a list of countries with their flags and a status line that a
// worker thread also writes through the GUI loop. ok on an entry asks in a
// message box; confirming closes the window with the entry's number (1 for the
// first), exit closes it with -1.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "eButton.h"
#include "eConfig.h"
#include "eListBox.h"
#include "eMainLoop.h"
#include "eMessageBox.h"
#include "eReceiverRoot.h"
#include "eSkin.h"
#include "gPainter.h"
#include "loadPNG.h"

namespace {

class Entry : public eListBoxEntry {
public:
    Entry(eListBox<Entry>* list, const char* name, const eString& code)
        : eListBoxEntry(list),
          name(name),
          flag(loadPNG(("/var/tuxbox/config/pitchside/countries/" + code + ".png").c_str())) {}
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeB, gColor activeF,
                          gColor normalB, gColor normalF, int state) override {
        drawEntryRect(painter, rect, activeB, activeF, normalB, normalF, state);
        if (flag) painter->blit(*flag, rect.topLeft() + ePoint(10, 20), gPainter::BF_ALPHATEST);
        return name;
    }
    const eString& getText() const override { return name; }

private:
    eString name;
    std::unique_ptr<gPixmap> flag;
};

class Window : public eWindow {
public:
    explicit Window(const eString& greeting) : eWindow(1) {
        setText("Emulator test");
        cmove(ePoint(60, 60));
        cresize(eSize(600, 440));
        for (const char* colour : {"red", "green"}) {
            auto* button = new eButton(this);
            button->move(ePoint(getChildren().size() * 150, 5));
            button->resize(eSize(140, 40));
            button->setText(colour);
            button->setShortcut(colour);
            button->selected.connect([this, button, colour] {
                status->setText(button->getText() + " pressed");
                button->setBackgroundColor(
                    eSkin::getActive()->queryColor(eString("std_d") + colour));
            });
        }
        // Four entries fit, so the last two need scrolling; "xx" has no flag.
        auto* list = new eListBox<Entry>(this, nullptr, 1, 50);
        list->setName("countries");
        list->move(ePoint(10, 55));
        list->resize(eSize(580, 200));
        for (const char* country :
             {"deGermany", "frFrance", "itItaly", "esSpain", "brBrazil", "xxAtlantis"})
            new Entry(list, country + 2, eString(country, 2));
        list->selected.connect([this, list](Entry* entry) {
            eMessageBox box("Choose " + entry->getText() + "?", "Choice", eMessageBox::btOK);
            box.show();
            const int answer = box.exec();
            box.hide();
            if (answer == eMessageBox::btOK) return close(list->getCurrentIndex() + 1);
            status->setText(eString().sprintf("Message box returned %d", answer));
        });
        status = new eLabel(this);
        status->setName("status");
        status->move(ePoint(10, 270));
        status->resize(eSize(580, 30));
        status->setText(greeting);
        setFocus(list);
        worker = std::thread([label = status] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            // Only the GUI thread touches the label; the task dies with it.
            eMainLoop::instance().post([label] { label->setText("Set by the worker"); }, label);
        });
    }
    ~Window() override { worker.join(); }

private:
    eLabel* status = nullptr;
    std::thread worker;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int plugin_exec() {
    eString greeting = "No greeting";
    char* value = nullptr;
    if (eConfig::instance()->getKey("/emutest/greeting", value) == 0) {
        greeting = eString("Greeting: ") + value;
        free(value);
    }
    if (FILE* note = fopen(eReceiverRoot::map("/tmp/emutest.txt").c_str(), "w")) {
        fprintf(note, "%s\n", greeting.c_str());
        fclose(note);
    }
    Window window(greeting);
    window.show();
    const int result = window.exec();
    window.hide();
    return result;
}
