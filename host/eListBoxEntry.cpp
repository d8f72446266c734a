#include "eListBoxEntry.h"

#include "eListBoxBase.h"
#include "gPainter.h"

eListBoxEntry::eListBoxEntry(eListBoxBase* listbox, const char* helptext, int selectable)
    : listbox(listbox), helptext(helptext ? helptext : " "), selectable(selectable) {
    if (listbox) listbox->append(this, false, false);
}

eListBoxEntry::~eListBoxEntry() {
    if (listbox) listbox->take(this, false);
}

const eString& eListBoxEntry::getText() const {
    static const eString empty;
    return empty;
}

void eListBoxEntry::drawEntryRect(gPainter* painter, const eRect& rect, const gColor& coActiveB,
                                  const gColor& coActiveF, const gColor& coNormalB,
                                  const gColor& coNormalF, int state) {
    painter->setBackgroundColor(state ? coActiveB : coNormalB);
    painter->fill(rect);
    painter->setForegroundColor(state ? coActiveF : coNormalF);
}
