#pragma once
// A vertical list of custom-drawn entries of equal height. It has a current
// entry, moved by up and down (left and right move a page); it scrolls by
// whole entries so the current one stays visible; ok emits the typed list's
// selected signal with the current entry. Between beginAtomic and endAtomic
// the list neither redraws nor moves its current entry.

#include <vector>

#include "eDecoWidget.h"

class eListBoxEntry;

class eListBoxBase : public eDecoWidget {
public:
    eListBoxBase(eWidget* parent, const eWidget* description = nullptr, int takefocus = 1,
                 int itemHeight = 0, const char* deco = "eListBox");
    ~eListBoxBase() override;

    // flags kept for the call shape: holdCurrent keeps the current entry,
    // front inserts at the start instead of the end.
    void append(eListBoxEntry* entry, bool holdCurrent = false, bool front = false);
    void take(eListBoxEntry* entry, bool holdCurrent = false);
    // Deletes every entry.
    void clearList();
    void beginAtomic();
    void endAtomic();
    void setColumns(int columns) { this->columns = columns < 1 ? 1 : columns; }

    int getCount() const { return static_cast<int>(entries.size()); }
    int getItemHeight() const { return itemHeight; }
    // Index of the current entry, -1 when the list is empty.
    int getCurrentIndex() const { return current; }
    // Index of the first visible entry.
    int getTopIndex() const { return top; }
    eListBoxEntry* getEntry(int index) const;
    eListBoxEntry* getCurrentEntry() const { return getEntry(current); }
    void setCurrentIndex(int index);
    // How many whole entries fit into the client area.
    int visibleCount() const;

    int eventHandler(const eWidgetEvent& event) override;

protected:
    virtual void emitSelected(eListBoxEntry* entry) = 0;
    void redrawWidget(gPainter* painter, const eRect& area) override;

private:
    void moveCurrent(int delta);
    void keepCurrentVisible();

    std::vector<eListBoxEntry*> entries;
    int itemHeight;
    int columns = 1;
    int current = -1;
    int top = 0;
    int atomic = 0;
    bool clearing = false;
};
