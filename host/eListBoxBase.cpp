#include "eListBoxBase.h"

#include <algorithm>

#include "eListBoxEntry.h"
#include "eSkin.h"
#include "gPainter.h"

namespace {

constexpr int defaultItemHeight = 20;

}  // namespace

eListBoxBase::eListBoxBase(eWidget* parent, const eWidget*, int takefocus, int itemHeight,
                           const char* deco)
    : eDecoWidget(parent, takefocus, deco),
      itemHeight(itemHeight > 0 ? itemHeight : defaultItemHeight) {
    kindName = "eListBox";
    useSkinBackground("eListBox.background");
}

eListBoxBase::~eListBoxBase() {
    atomic = 1;  // nothing to redraw any more
    clearList();
}

void eListBoxBase::append(eListBoxEntry* entry, bool, bool front) {
    if (!entry) return;
    entry->listbox = this;
    if (front) {
        entries.insert(entries.begin(), entry);
        if (current >= 0) ++current;
    } else {
        entries.push_back(entry);
    }
    if (current < 0) current = 0;
    if (!atomic) {
        keepCurrentVisible();
        invalidate();
    }
}

void eListBoxBase::take(eListBoxEntry* entry, bool) {
    auto found = std::find(entries.begin(), entries.end(), entry);
    if (found == entries.end()) return;
    const int index = static_cast<int>(found - entries.begin());
    entries.erase(found);
    entry->listbox = nullptr;
    // The current entry stays the same one when an entry before it goes; when
    // the current one goes, its successor (or the new last entry) takes over.
    if (index < current || current >= getCount()) --current;
    if (entries.empty()) current = -1;
    if (!atomic) {
        keepCurrentVisible();
        invalidate();
    }
}

void eListBoxBase::clearList() {
    // Each entry is unhooked before deletion, so its destructor doesn't call
    // take() on a list that is in the middle of clearing.
    clearing = true;
    while (!entries.empty()) {
        eListBoxEntry* entry = entries.back();
        entries.pop_back();
        entry->listbox = nullptr;
        delete entry;
    }
    clearing = false;
    current = -1;
    top = 0;
    if (!atomic) invalidate();
}

void eListBoxBase::beginAtomic() {
    ++atomic;
}

void eListBoxBase::endAtomic() {
    if (atomic == 0) return;
    if (--atomic > 0) return;
    keepCurrentVisible();
    invalidate();
}

eListBoxEntry* eListBoxBase::getEntry(int index) const {
    if (index < 0 || index >= getCount()) return nullptr;
    return entries[static_cast<size_t>(index)];
}

void eListBoxBase::setCurrentIndex(int index) {
    if (index < 0 || index >= getCount()) return;
    current = index;
    keepCurrentVisible();
    if (!atomic) invalidate();
}

int eListBoxBase::visibleCount() const {
    return clientrect.height() / itemHeight;
}

void eListBoxBase::moveCurrent(int delta) {
    if (entries.empty() || atomic) return;
    setCurrentIndex(std::clamp(current + delta, 0, getCount() - 1));
}

void eListBoxBase::keepCurrentVisible() {
    const int page = std::max(1, visibleCount());
    if (current >= 0) {
        if (current < top) top = current;
        if (current >= top + page) top = current - page + 1;
    }
    top = std::clamp(top, 0, std::max(0, getCount() - page));
}

int eListBoxBase::eventHandler(const eWidgetEvent& event) {
    switch (event.type) {
        case eWidgetEvent::keyPressed: {
            const int page = std::max(1, visibleCount());
            switch (event.key) {
                case eKey::up:
                    moveCurrent(-1);
                    return 1;
                case eKey::down:
                    moveCurrent(1);
                    return 1;
                case eKey::left:
                    moveCurrent(-page);
                    return 1;
                case eKey::right:
                    moveCurrent(page);
                    return 1;
                case eKey::ok:
                    if (eListBoxEntry* entry = getCurrentEntry()) {
                        emitSelected(entry);
                        return 1;
                    }
                    return 0;
                default:
                    return 0;
            }
        }
        case eWidgetEvent::gotFocus:
        case eWidgetEvent::lostFocus:
            invalidate();  // the current entry's highlight follows the focus
            return 0;
        default:
            return eDecoWidget::eventHandler(event);
    }
}

void eListBoxBase::redrawWidget(gPainter* painter, const eRect& area) {
    const eSkin* skin = eSkin::getActive();
    const gColor activeB = skin->queryColor("eListBox.selected.background");
    const gColor activeF = skin->queryColor("eListBox.selected.foreground");
    const gColor normalB = skin->queryColor("eListBox.normal.background");
    const gColor normalF = skin->queryColor("eListBox.normal.foreground");
    const bool focused = getTLW()->getFocus() == this;
    const int page = visibleCount();
    for (int row = 0; row < page && top + row < getCount(); ++row) {
        const int index = top + row;
        eListBoxEntry* entry = entries[static_cast<size_t>(index)];
        const eRect rect(0, row * itemHeight, area.width(), itemHeight);
        // Each entry draws with its own record, clipped to its row.
        gPainter entryPainter = painter->restricted(rect);
        entry->drawRecord().clear();
        entryPainter.setRecord(&entry->drawRecord());
        entry->redraw(&entryPainter, rect, activeB, activeF, normalB, normalF,
                      index == current && focused ? 1 : 0);
    }
}
