// The GUI loop, modal windows and list boxes.

#include <gtest/gtest.h>

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

// A label that counts the texts it was given.
struct Label : eLabel {
    Label() : eLabel(nullptr) {}
    int eventHandler(const eWidgetEvent& event) override {
        changes += event.type == eWidgetEvent::changedText;
        return eLabel::eventHandler(event);
    }
    int changes = 0;
};

// Texts set from another thread wait for the loop's next turn, where only the newest of each
// widget is set, once; a text the GUI thread sets meanwhile outranks an older one, and a deleted
// widget's text is dropped (setting it would write freed memory, which AddressSanitizer reports).
TEST(MainLoop, HandsTextsFromAnotherThreadOverAsEachCaseSays) {
    Label label;
    auto gone = std::make_unique<Label>();
    const struct {
        std::vector<const char*> texts;  // set from another thread, in order
        const char* before;              // the label's text before the loop's turn
        std::function<void()> meanwhile;
        const char* after;
        int changes;
    } cases[] = {{{"1"}, "", [] {}, "1", 1},
                 {{"2", "3", "4"}, "1", [] {}, "4", 2},
                 {{"older"}, "4", [&] { label.setText("newer"); }, "newer", 3},
                 {{"x"}, "newer", [&] { gone.reset(); }, "newer", 3}};
    for (const auto& c : cases) {
        eWidget* target = c.texts[0] == std::string("x") ? gone.get() : &label;
        std::thread([&] {
            for (const char* text : c.texts) target->setText(text);
        }).join();
        EXPECT_EQ(label.getText(), c.before);
        c.meanwhile();
        eMainLoop::instance().processPending();
        EXPECT_EQ(label.getText() + " " + std::to_string(label.changes),
                  std::string(c.after) + " " + std::to_string(c.changes));
    }
}

// A close before the loop is ignored.
TEST(Widget, ExecReturnsTheResultOfTheCloseInsideIt) {
    const std::pair<std::function<void(eWidget&)>, int> closes[] = {
        {[](eWidget& w) { w.close(7); }, 7},
        {[](eWidget& w) { w.accept(); }, 0},
        {[](eWidget& w) { w.reject(); }, -1}};
    for (const auto& [close, result] : closes) {
        eWindow window(1);
        window.accept();
        window.reject();
        window.show();
        LoopSteps steps({[&, close = close] { close(window); }});
        EXPECT_EQ(window.exec(), result);
    }
}

TEST(Widget, ColourKeyActivatesOnlyAShownButtonWithItsShortcut) {
    eWindow window(1);
    auto* button = new eButton(&window);
    button->setShortcut("blue");
    int pressed = 0;
    button->selected.connect([&] { ++pressed; });
    window.show();
    LoopSteps steps({press(eKey::yellow), [&] { button->hide(); }, press(eKey::blue),
                     [&] { button->show(); }, press(eKey::blue)});
    window.exec();
    EXPECT_EQ(pressed, 1);
}

// An entry that keeps the state it was last drawn in.
struct Entry : eListBoxEntry {
    Entry(eListBoxBase* list, int id) : eListBoxEntry(list), id(id) {}
    const eString& redraw(gPainter*, const eRect&, gColor, gColor, gColor, gColor,
                          int drawn) override {
        state = drawn;
        return getText();
    }
    int id, state = -1;
};

// A shown window with a focused list of 160 pixels: three whole entries of 50.
struct ListWindow {
    explicit ListWindow(int entries) {
        list->resize(eSize(300, 160));
        for (int i = 0; i < entries; ++i) new Entry(list, i);
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
    std::unique_ptr<eWindow> window = std::make_unique<eWindow>(1);
    eListBox<Entry>* list = new eListBox<Entry>(window.get(), nullptr, 1, 50);
};

TEST(ListBox, KeySequencesDrawTheirRowsOfTheTable) {
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
}

TEST(ListBox, UnfocusedListLightsNoEntry) {
    ListWindow unfocused(1);
    unfocused.window->setFocus(nullptr);
    EXPECT_EQ(unfocused.drawn(), "0");
}

TEST(ListBox, OkChoosesTheCurrentEntry) {
    ListWindow shown(0);
    std::vector<int> chosen;
    shown.list->selected.connect([&](Entry* entry) { chosen.push_back(entry->id); });
    shown.press("o");  // nothing to choose
    for (int i = 0; i < 4; ++i) new Entry(shown.list, i);
    shown.press("ddo");
    EXPECT_EQ(chosen, std::vector<int>{2});
}

TEST(ListBox, LeavingEntriesKeepTheCurrentOneValid) {
    ListWindow shown(4);
    shown.press("dd");
    delete shown.list->getEntry(0);  // before the current one: it stays current
    EXPECT_EQ(shown.list->getCurrent()->id, 2);
    delete shown.list->getCurrent();  // its successor takes over
    EXPECT_EQ(shown.list->getCurrent()->id, 3);
    std::unique_ptr<Entry> taken(shown.list->getCurrent());
    shown.list->take(taken.get());  // the last one: the new last one takes over
    EXPECT_EQ(shown.list->getCurrent()->id, 1);
    taken.reset();  // out of the list: deleting it leaves the list alone
    EXPECT_EQ(shown.list->getCount(), 1);
}

TEST(ListBox, AtomicChangesHoldRedrawsUntilTheOutermostEnd) {
    ListWindow shown(2);
    eDesktop::instance().redrawIfNeeded();
    shown.list->beginAtomic();
    shown.list->beginAtomic();
    shown.list->clearList();
    EXPECT_EQ(shown.list->getCurrentIndex(), -1);
    new Entry(shown.list, 4);
    new Entry(shown.list, 5);
    shown.press("d");  // held too
    shown.list->endAtomic();
    EXPECT_FALSE(eDesktop::instance().isDirty());
    shown.list->endAtomic();
    EXPECT_TRUE(eDesktop::instance().isDirty());
    EXPECT_EQ(shown.list->getCurrentIndex(), 0);
}

}  // namespace
