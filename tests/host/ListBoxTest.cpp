#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "eDesktop.h"
#include "eListBox.h"
#include "eWindow.h"
#include "gPainter.h"

namespace {

// An entry that counts its destruction and remembers the state it was drawn in.
class Entry : public eListBoxEntry {
public:
    Entry(eListBoxBase* list, int id, std::vector<int>* deleted)
        : eListBoxEntry(list), id(id), deleted(deleted) {}
    ~Entry() override { deleted->push_back(id); }
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeB, gColor activeF,
                          gColor normalB, gColor normalF, int state) override {
        drawEntryRect(painter, rect, activeB, activeF, normalB, normalF, state);
        drawnRect = rect;
        drawnState = state;
        ++draws;
        return getText();
    }
    int id;
    std::vector<int>* deleted;
    eRect drawnRect;
    int drawnState = -1;
    int draws = 0;
};

class ListBox : public ::testing::Test {
protected:
    ListBox() {
        window->cresize(eSize(300, 200));
        list = new eListBox<Entry>(window.get(), nullptr, 1, 50);
        list->resize(eSize(300, 160));  // three whole entries, and a part of a fourth
        window->setFocus(list);
        window->show();
    }
    Entry* add(int id) { return new Entry(list, id, &deleted); }
    void fill(int count) {
        for (int i = 0; i < count; ++i) add(i);
    }
    Entry* at(int index) { return static_cast<Entry*>(list->getEntry(index)); }
    void press(eKey key) { list->eventHandler(eWidgetEvent(eWidgetEvent::keyPressed, key)); }

    std::vector<int> deleted;
    std::unique_ptr<eWindow> window = std::make_unique<eWindow>(0);
    eListBox<Entry>* list;
};

TEST_F(ListBox, EntriesAppendThemselvesAndFirstBecomesCurrent) {
    EXPECT_EQ(list->getCurrentIndex(), -1);
    EXPECT_EQ(list->getCurrent(), nullptr);
    Entry* first = add(0);
    add(1);
    EXPECT_EQ(list->getCount(), 2);
    EXPECT_EQ(list->getCurrent(), first);
    EXPECT_EQ(first->getHelpText(), " ");
    EXPECT_EQ(first->getSelectable(), 3);
    EXPECT_EQ(first->getListBox(), list);
}

TEST_F(ListBox, DeletingAnEntryTakesItOutAndKeepsCurrentValid) {
    fill(4);
    list->setCurrentIndex(2);
    delete list->getEntry(0);  // before the current one: the current entry stays the same
    EXPECT_EQ(list->getCount(), 3);
    EXPECT_EQ(list->getCurrent()->id, 2);
    delete list->getEntry(2);  // the current, last entry: the new last one takes over
    EXPECT_EQ(list->getCurrent()->id, 2);
    std::unique_ptr<Entry> taken(at(1));
    list->take(taken.get());
    EXPECT_EQ(taken->getListBox(), nullptr);
    EXPECT_EQ(list->getCurrentIndex(), 0);
    EXPECT_EQ(deleted, (std::vector<int>{0, 3}));
    taken.reset();  // no longer in the list: deleting it leaves the list alone
    EXPECT_EQ(list->getCount(), 1);
}

TEST_F(ListBox, ClearListAndDestructionDeleteEveryEntry) {
    fill(3);
    list->clearList();
    EXPECT_EQ(list->getCount(), 0);
    EXPECT_EQ(list->getCurrentIndex(), -1);
    EXPECT_EQ(deleted.size(), 3u);
    fill(2);
    window.reset();
    EXPECT_EQ(deleted.size(), 5u);
}

TEST_F(ListBox, UpDownAndPagesMoveCurrentWithinBounds) {
    fill(8);
    EXPECT_EQ(list->visibleCount(), 3);
    press(eKey::up);
    EXPECT_EQ(list->getCurrentIndex(), 0);
    press(eKey::down);
    press(eKey::down);
    EXPECT_EQ(list->getCurrentIndex(), 2);
    press(eKey::right);
    EXPECT_EQ(list->getCurrentIndex(), 5);
    press(eKey::right);
    EXPECT_EQ(list->getCurrentIndex(), 7);
    press(eKey::down);
    EXPECT_EQ(list->getCurrentIndex(), 7);
    press(eKey::left);
    EXPECT_EQ(list->getCurrentIndex(), 4);
    press(eKey::left);
    press(eKey::left);
    EXPECT_EQ(list->getCurrentIndex(), 0);
}

TEST_F(ListBox, ScrollsByWholeEntriesAndDrawsOnlyVisibleOnes) {
    fill(6);
    std::vector<Entry*> entries;
    for (int i = 0; i < 6; ++i) entries.push_back(at(i));
    eDesktop::instance().redrawIfNeeded();
    EXPECT_EQ(entries[0]->drawnRect, eRect(0, 0, 300, 50));
    EXPECT_EQ(entries[2]->drawnRect, eRect(0, 100, 300, 50));
    EXPECT_EQ(entries[3]->draws, 0);  // only partly visible: not drawn
    EXPECT_EQ(entries[0]->drawnState, 1);
    EXPECT_EQ(entries[1]->drawnState, 0);

    for (int i = 0; i < 3; ++i) press(eKey::down);
    EXPECT_EQ(list->getTopIndex(), 1);
    eDesktop::instance().redrawIfNeeded();
    EXPECT_EQ(entries[3]->drawnRect, eRect(0, 100, 300, 50));
    EXPECT_EQ(entries[3]->drawnState, 1);
    EXPECT_EQ(entries[1]->drawnRect, eRect(0, 0, 300, 50));

    for (int i = 0; i < 3; ++i) press(eKey::up);
    EXPECT_EQ(list->getTopIndex(), 0);
}

TEST_F(ListBox, CurrentIsHighlightedOnlyWhileListHasFocus) {
    fill(2);
    window->setFocus(nullptr);
    eDesktop::instance().redrawIfNeeded();
    EXPECT_EQ(at(0)->drawnState, 0);
}

TEST_F(ListBox, OkEmitsSelectedWithCurrentEntry) {
    std::vector<Entry*> chosen;
    list->selected.connect([&](Entry* entry) { chosen.push_back(entry); });
    press(eKey::ok);
    EXPECT_TRUE(chosen.empty());
    fill(3);
    press(eKey::down);
    press(eKey::ok);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], list->getEntry(1));
}

TEST_F(ListBox, AtomicHoldsRedrawsUntilOutermostEnd) {
    fill(2);
    eDesktop::instance().redrawIfNeeded();
    list->beginAtomic();
    list->beginAtomic();
    list->clearList();
    fill(3);
    press(eKey::down);  // no moving while atomic
    EXPECT_FALSE(eDesktop::instance().isDirty());
    list->endAtomic();
    EXPECT_FALSE(eDesktop::instance().isDirty());
    list->endAtomic();
    EXPECT_TRUE(eDesktop::instance().isDirty());
    EXPECT_EQ(list->getCurrentIndex(), 0);
    EXPECT_EQ(list->getCount(), 3);
}

}  // namespace
