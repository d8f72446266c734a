// Widgets: modal windows and their keys, list boxes, and the desktop's dump.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Snapshot.h"
#include "eButton.h"
#include "eDesktop.h"
#include "eLabel.h"
#include "eListBox.h"
#include "eMainLoop.h"
#include "eMessageBox.h"
#include "eSkin.h"
#include "gPainter.h"

namespace {

// An entry that records its number, row and state when drawn, and its deletion.
class Entry : public eListBoxEntry {
public:
    Entry(eListBoxBase* list, int id, std::vector<int>* deleted)
        : eListBoxEntry(list), id(id), deleted(deleted) {}
    ~Entry() override { deleted->push_back(id); }
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeB, gColor activeF,
                          gColor normalB, gColor normalF, int state) override {
        drawEntryRect(painter, rect, activeB, activeF, normalB, normalF, state);
        painter->getRecord()->add({gDrawOp::Kind::text,
                                   eString().sprintf("%d at %d state %d", id, rect.top(), state),
                                   rect, activeF});
        return getText();
    }
    int id;
    std::vector<int>* deleted;
};

// A shown window with a focused list of 160 pixels: three whole entries of 50.
struct ListWindow {
    explicit ListWindow(int entries, int height = 160) {
        window->cresize(eSize(300, 200));
        list->resize(eSize(300, height));
        for (int i = 0; i < entries; ++i) new Entry(list, i, &deleted);
        window->setFocus(list);
        window->show();
    }
    void press(const std::string& keys) {
        for (char key : keys) {
            const eKey keyOf[] = {eKey::up, eKey::down, eKey::left, eKey::right, eKey::ok};
            list->eventHandler(
                eWidgetEvent(eWidgetEvent::keyPressed, keyOf[std::string("udlro").find(key)]));
        }
    }
    std::vector<int> deleted;
    std::unique_ptr<eWindow> window = std::make_unique<eWindow>(1);
    eListBox<Entry>* list = new eListBox<Entry>(window.get(), nullptr, 1, 50);
};

TEST(ListBox, KeysMoveTheCurrentEntryWithinTheListAndScrollByWholeEntries) {
    const std::tuple<const char*, int, int> cases[] = {
        // keys (up, down, left/right a page), current, top
        {"u", 0, 0},    {"dd", 2, 0},   {"ddd", 3, 1},    {"r", 3, 1},      {"rrr", 7, 5},
        {"rrrd", 7, 5}, {"rrrl", 4, 4}, {"rrrlll", 0, 0}, {"dddddd", 6, 4}, {"dddddduuuuuu", 0, 0},
    };
    for (const auto& [keys, current, top] : cases) {
        ListWindow shown(8);
        shown.press(keys);
        EXPECT_EQ(shown.list->getCurrentIndex(), current) << keys;
        EXPECT_EQ(shown.list->getTopIndex(), top) << keys;
    }
}

TEST(ListBox, EntriesJoinAndLeaveKeepingTheCurrentOneValid) {
    ListWindow shown(0);
    EXPECT_EQ(shown.list->getCurrent(), nullptr);
    std::vector<Entry*> chosen;
    shown.list->selected.connect([&](Entry* entry) { chosen.push_back(entry); });
    shown.press("o");  // nothing to choose
    for (int i = 0; i < 4; ++i) new Entry(shown.list, i, &shown.deleted);
    EXPECT_EQ(shown.list->getCurrent()->id, 0);  // the first entry becomes current
    shown.press("ddo");
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0]->id, 2);
    delete shown.list->getEntry(0);  // before the current one: it stays current
    EXPECT_EQ(shown.list->getCurrent()->id, 2);
    delete shown.list->getCurrent();  // its successor takes over
    EXPECT_EQ(shown.list->getCurrent()->id, 3);
    std::unique_ptr<Entry> taken(shown.list->getCurrent());
    shown.list->take(taken.get());  // the last one: the new last one takes over
    EXPECT_EQ(shown.list->getCurrent()->id, 1);
    taken.reset();  // out of the list: deleting it leaves the list alone
    EXPECT_EQ(shown.list->getCount(), 1);
    shown.list->clearList();
    EXPECT_EQ(shown.list->getCurrentIndex(), -1);
    new Entry(shown.list, 4, &shown.deleted);
    shown.window.reset();
    EXPECT_EQ(shown.deleted, (std::vector<int>{0, 2, 3, 1, 4}));
}

TEST(ListBox, AtomicChangesHoldRedrawsAndMovesUntilTheOutermostEnd) {
    ListWindow shown(2);
    eDesktop::instance().redrawIfNeeded();
    shown.list->beginAtomic();
    shown.list->beginAtomic();
    shown.list->clearList();
    for (int i = 0; i < 3; ++i) new Entry(shown.list, i, &shown.deleted);
    shown.press("d");
    shown.list->endAtomic();
    EXPECT_FALSE(eDesktop::instance().isDirty());
    shown.list->endAtomic();
    EXPECT_TRUE(eDesktop::instance().isDirty());
    EXPECT_EQ(shown.list->getCurrentIndex(), 0);
}

TEST(Dump, ShowsShownWidgetsAndWhatTheVisibleEntriesDrew) {
    ListWindow shown(3, 120);  // two whole entries
    shown.window->cmove(ePoint(100, 100));
    shown.window->setText("Match Ray");
    shown.list->setName("choices");
    shown.list->move(ePoint(0, 45));
    auto* button = new eButton(shown.window.get());
    button->resize(eSize(120, 40));
    button->setText("All");
    button->setBackgroundColor(eSkin::getActive()->queryColor("std_dred"));
    auto* hidden = new eLabel(shown.window.get());
    hidden->setText("hidden");
    hidden->hide();
    new eLabel(hidden);  // inside a hidden widget
    auto* label = new eLabel(shown.window.get());
    label->move(ePoint(0, 170));
    label->resize(eSize(300, 30));
    label->setText("two\nlines");
    label->setProperty("align", "center");
    label->setForegroundColor(gColor(0xff123456u));
    eWindow notShown(0);
    std::string dumps = eDesktop::instance().dump() + "-- down, down\n";
    shown.press("dd");
    dumps += eDesktop::instance().dump() + "-- focus away, a message box and a notice\n";
    shown.window->setFocus(nullptr);
    eMessageBox box("Can't connect to server!", "Error", 33, 1, 0);
    eMessageBox notice("Download data\nPlease wait...", "Match Ray", 16, 1, 0);
    box.show();
    notice.show();
    expectSnapshot("host-dump", dumps + eDesktop::instance().dump());
}

// A window that logs its exec events and whether it was in exec then.
class LoggingWindow : public eWindow {
public:
    LoggingWindow() : eWindow(1) {}
    int eventHandler(const eWidgetEvent& event) override {
        if (event.type == eWidgetEvent::execBegin || event.type == eWidgetEvent::execDone)
            events += std::to_string(event.type) + (isInExec() ? "+" : "-") + " ";
        return eWindow::eventHandler(event);
    }
    std::string events;
};

TEST(Widget, ExecRunsUntilCloseAcceptOrRejectAndTellsTheWindowOnce) {
    LoggingWindow window;
    window.accept();  // outside exec: ignored
    window.reject();
    window.show();
    eMainLoop& loop = eMainLoop::instance();
    for (const auto& [close, result] :
         std::vector<std::pair<std::function<void()>, int>>{{[&] { window.close(7); }, 7},
                                                            {[&] { window.accept(); }, 0},
                                                            {[&] { window.reject(); }, -1}}) {
        window.events.clear();
        loop.post(close, &window);
        EXPECT_EQ(window.exec(), result);
        EXPECT_EQ(window.events, std::to_string(eWidgetEvent::execBegin) + "+ " +
                                     std::to_string(eWidgetEvent::execDone) + "- ");
    }
    EXPECT_EQ(eDesktop::instance().topModal(), nullptr);
    eMessageBox box("Can't connect to server!", "Error", 33, 1, 0);
    box.show();
    for (const auto& [key, result] :
         {std::pair{eKey::ok, int(eMessageBox::btOK)}, {eKey::exit, -1}}) {
        loop.post([key = key] { eDesktop::instance().handleKey(key); });
        EXPECT_EQ(box.exec(), result);
    }
}

TEST(Widget, ExitKeyRejectsTheTopmostModalWindowOnly) {
    eWindow outer(1), inner(1);
    int innerResult = 1;
    eMainLoop::instance().post([&] {
        eMainLoop::instance().post([&] { eDesktop::instance().handleKey(eKey::exit); });
        innerResult = inner.exec();
        EXPECT_TRUE(outer.isInExec());
        eDesktop::instance().handleKey(eKey::exit);
    });
    EXPECT_EQ(outer.exec(), -1);
    EXPECT_EQ(innerResult, -1);
}

TEST(Widget, KeysGoToTheFocusedWidgetAndColourKeysToShownShortcuts) {
    auto window = std::make_unique<eWindow>(1);
    std::string pressed;
    eButton* buttons[3];
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new eButton(window.get());
        buttons[i]->selected.connect([&pressed, i] { pressed += std::to_string(i); });
    }
    buttons[2]->setShortcut("blue");
    EXPECT_EQ(window->getFocus(), buttons[0]);  // the first that takes focus
    window->setFocus(buttons[1]);
    window->show();
    eMainLoop::instance().post([&] {
        for (eKey key : {eKey::ok, eKey::yellow}) eDesktop::instance().handleKey(key);
        buttons[2]->hide();
        eDesktop::instance().handleKey(eKey::blue);
        buttons[2]->show();
        eDesktop::instance().handleKey(eKey::blue);
        window->close(5);
    });
    EXPECT_EQ(window->exec(), 5);
    EXPECT_EQ(pressed, "12");
}

TEST(Widget, DeletingAWindowDeletesItsChildrenAndCancelsTheirTasks) {
    auto* window = new eWindow(1);
    bool ran = false;
    eMainLoop::instance().post([&] { ran = true; }, new eButton(window));
    window->show();
    delete window;
    eMainLoop::instance().processPending();
    EXPECT_FALSE(ran);
    EXPECT_EQ(eDesktop::instance().dump(), "");
}

}  // namespace
