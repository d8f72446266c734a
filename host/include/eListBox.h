#pragma once
// The typed list box: entries of type T, and a selected signal that passes the
// chosen entry (never null from the list box itself).

#include "eListBoxBase.h"
#include "eListBoxEntry.h"
#include "sigc.h"

template <class T>
class eListBox : public eListBoxBase {
public:
    explicit eListBox(eWidget* parent, const eWidget* description = nullptr, int takefocus = 1,
                      int itemHeight = 0, const char* deco = "eListBox")
        : eListBoxBase(parent, description, takefocus, itemHeight, deco) {}

    SigC::Signal1<void, T*> selected;

    T* getCurrent() const { return static_cast<T*>(getCurrentEntry()); }

protected:
    void emitSelected(eListBoxEntry* entry) override { selected.emit(static_cast<T*>(entry)); }
};
