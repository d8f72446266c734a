// The GUI loop, modal windows and list boxes.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "LoopSteps.h"
#include "eButton.h"
#include "eDesktop.h"
#include "eLabel.h"
#include "eListBox.h"
#include "eMainLoop.h"
#include "eWindow.h"

namespace {

// Texts set from another thread wait for the GUI loop, which sets only the newest of each widget.
TEST(MainLoop, SetsTheNewestTextOfAnotherThreadOnItsNextTurnOnce) {
    struct Label : eLabel {
        Label() : eLabel(nullptr) {}
        int eventHandler(const eWidgetEvent& event) override {
            changes += event.type == eWidgetEvent::changedText;
            return eLabel::eventHandler(event);
        }
        int changes = 0;
    };
    auto label = std::make_unique<Label>(), gone = std::make_unique<Label>(),
         set = std::make_unique<Label>();
    std::thread([&] {
        for (const char* text : {"1", "2", "3"}) label->setText(text);
        gone->setText("x");
        set->setText("older");
    }).join();
    EXPECT_EQ(label->getText(), "");
    gone.reset();  // its text is dropped with it
    set->setText("newer");
    eMainLoop::instance().processPending();
    EXPECT_EQ(label->getText() + " " + std::to_string(label->changes) + " " + set->getText(),
              "3 1 newer");
}

TEST(Widget, ExecEndsOnCloseAcceptOrRejectAndColourKeysGoToShownShortcuts) {
    struct Window : eWindow {
        Window() : eWindow(1) {}
        int eventHandler(const eWidgetEvent& event) override {
            if (event.type == eWidgetEvent::execBegin || event.type == eWidgetEvent::execDone)
                events += std::to_string(event.type) + (isInExec() ? "+ " : "- ");
            return eWindow::eventHandler(event);
        }
        std::string events;
    };
    auto* window = new Window;
    auto* button = new eButton(window);
    button->setShortcut("blue");
    int pressed = 0;
    button->selected.connect([&] { ++pressed; });
    window->accept();  // outside exec: ignored
    window->reject();
    window->show();
    const std::pair<std::function<void()>, int> closes[] = {
        {[&] { window->close(7); }, 7},
        {[&] { window->accept(); }, 0},
        {[&] {
             eDesktop::instance().handleKey(eKey::yellow);  // no widget has it
             button->hide();
             eDesktop::instance().handleKey(eKey::blue);  // hidden
             button->show();
             eDesktop::instance().handleKey(eKey::blue);
             window->reject();
         },
         -1}};
    for (const auto& [close, result] : closes) {
        window->events.clear();
        LoopSteps steps({close});
        EXPECT_EQ(window->exec(), result);
        EXPECT_EQ(window->events, std::to_string(eWidgetEvent::execBegin) + "+ " +
                                      std::to_string(eWidgetEvent::execDone) + "- ");
    }
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(eDesktop::instance().topModal(), nullptr);
    delete window;
    EXPECT_EQ(eDesktop::instance().dump(), "");
}

// An entry that keeps the state it was last drawn in and notes its deletion.
struct Entry : eListBoxEntry {
    Entry(eListBoxBase* list, int id, std::vector<int>* deleted)
        : eListBoxEntry(list), id(id), deleted(deleted) {}
    ~Entry() override { deleted->push_back(id); }
    const eString& redraw(gPainter*, const eRect&, gColor, gColor, gColor, gColor,
                          int drawn) override {
        state = drawn;
        return getText();
    }
    int id, state = -1;
    std::vector<int>* deleted;
};

// A shown window with a focused list of 160 pixels: three whole entries of 50.
struct ListWindow {
    explicit ListWindow(int entries) {
        list->resize(eSize(300, 160));
        for (int i = 0; i < entries; ++i) new Entry(list, i, &deleted);
        window->setFocus(list);
        window->show();
    }
    void press(const std::string& keys) {
        const eKey keyOf[] = {eKey::up, eKey::down, eKey::left, eKey::right, eKey::ok};
        for (char key : keys)
            list->eventHandler(
                eWidgetEvent(eWidgetEvent::keyPressed, keyOf[std::string("udlro").find(key)]));
    }
    // Each entry's state when the list is drawn again: '-' not drawn, '1' lit.
    std::string drawn() {
        for (int i = 0; i < list->getCount(); ++i)
            static_cast<Entry*>(list->getEntry(i))->state = -1;
        list->invalidate();
        eDesktop::instance().redrawIfNeeded();
        std::string states;
        for (int i = 0; i < list->getCount(); ++i)
            states += "-01"[static_cast<Entry*>(list->getEntry(i))->state + 1];
        return states;
    }
    std::vector<int> deleted;
    std::unique_ptr<eWindow> window = std::make_unique<eWindow>(1);
    eListBox<Entry>* list = new eListBox<Entry>(window.get(), nullptr, 1, 50);
};

TEST(ListBox, KeysMoveTheCurrentEntryAndScrollByWholeEntriesThatAreDrawn) {
    const std::pair<const char*, const char*> cases[] = {
        // keys (up, down, left/right a page), entries drawn
        {"u", "100-----"},      {"dd", "001-----"},
        {"ddd", "-001----"},    {"r", "-001----"},
        {"rrr", "-----001"},    {"rrrd", "-----001"},
        {"rrrl", "----100-"},   {"rrrlll", "100-----"},
        {"dddddd", "----001-"}, {"dddddduuuuuu", "100-----"},
    };
    for (const auto& [keys, drawn] : cases) {
        ListWindow shown(8);
        shown.press(keys);
        EXPECT_EQ(shown.drawn(), drawn) << keys;
    }
    ListWindow unfocused(1);
    unfocused.window->setFocus(nullptr);
    EXPECT_EQ(unfocused.drawn(), "0");
}

TEST(ListBox, EntriesJoinAndLeaveKeepingTheCurrentOneValidAndAtomicChangesHoldRedraws) {
    ListWindow shown(0);
    std::vector<int> chosen;
    shown.list->selected.connect([&](Entry* entry) { chosen.push_back(entry->id); });
    shown.press("o");  // nothing to choose
    for (int i = 0; i < 4; ++i) new Entry(shown.list, i, &shown.deleted);
    shown.press("ddo");
    EXPECT_EQ(chosen, std::vector<int>{2});
    delete shown.list->getEntry(0);  // before the current one: it stays current
    EXPECT_EQ(shown.list->getCurrent()->id, 2);
    delete shown.list->getCurrent();  // its successor takes over
    EXPECT_EQ(shown.list->getCurrent()->id, 3);
    std::unique_ptr<Entry> taken(shown.list->getCurrent());
    shown.list->take(taken.get());  // the last one: the new last one takes over
    EXPECT_EQ(shown.list->getCurrent()->id, 1);
    taken.reset();  // out of the list: deleting it leaves the list alone
    EXPECT_EQ(shown.list->getCount(), 1);
    eDesktop::instance().redrawIfNeeded();
    shown.list->beginAtomic();
    shown.list->beginAtomic();
    shown.list->clearList();
    EXPECT_EQ(shown.list->getCurrentIndex(), -1);
    new Entry(shown.list, 4, &shown.deleted);
    new Entry(shown.list, 5, &shown.deleted);
    shown.press("d");  // held too
    shown.list->endAtomic();
    EXPECT_FALSE(eDesktop::instance().isDirty());
    shown.list->endAtomic();
    EXPECT_TRUE(eDesktop::instance().isDirty());
    EXPECT_EQ(shown.list->getCurrentIndex(), 0);
    shown.window.reset();
    EXPECT_EQ(shown.deleted, (std::vector<int>{0, 2, 3, 1, 5, 4}));
}

}  // namespace
