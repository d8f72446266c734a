#pragma once
// One entry of a list box. Its constructor appends it to its list, its
// destructor takes it out again. The list owns its entries and deletes them
// in clearList and with itself.

#include "eRect.h"
#include "eString.h"
#include "eWidgetEvent.h"
#include "gColor.h"
#include "gDrawRecord.h"

class eListBoxBase;
class gPainter;

class eListBoxEntry {
public:
    // Appends the entry to listbox (when not null). helptext null stores " ".
    explicit eListBoxEntry(eListBoxBase* listbox, const char* helptext = nullptr,
                           int selectable = 3);
    virtual ~eListBoxEntry();

    eListBoxEntry(const eListBoxEntry&) = delete;
    eListBoxEntry& operator=(const eListBoxEntry&) = delete;

    virtual bool operator<(const eListBoxEntry&) const { return false; }
    virtual int eventHandler(const eWidgetEvent&) { return 0; }
    // Draws the entry into rect. Colours: selected background, selected text,
    // normal background, normal text. state is 1 for the current entry of a
    // focused list, else 0. Returns the entry's text.
    virtual const eString& redraw(gPainter* painter, const eRect& rect, gColor coActiveB,
                                  gColor coActiveF, gColor coNormalB, gColor coNormalF,
                                  int state) = 0;
    // A reference to one shared empty string.
    virtual const eString& getText() const;

    const eString& getHelpText() const { return helptext; }
    int getSelectable() const { return selectable; }
    eListBoxBase* getListBox() const { return listbox; }

    // What the last redraw drew; the list box fills it.
    const gDrawRecord& lastDraw() const { return record; }
    gDrawRecord& drawRecord() { return record; }

protected:
    // Paints the background for the state and leaves the state's text colour
    // set as the painter's foreground colour.
    void drawEntryRect(gPainter* painter, const eRect& rect, const gColor& coActiveB,
                       const gColor& coActiveF, const gColor& coNormalB, const gColor& coNormalF,
                       int state);

private:
    friend class eListBoxBase;
    eListBoxBase* listbox;
    eString helptext;
    int selectable;
    gDrawRecord record;
};
