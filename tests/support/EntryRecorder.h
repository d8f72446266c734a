#pragma once
// Redraws list entries into a screen of their own and keeps what they drew,
// for the tests of the match entry and the channel entry.

#include <string>

#include "eListBoxEntry.h"
#include "gDrawRecord.h"
#include "gPixmap.h"
#include "gPixmapDC.h"

class EntryRecorder {
public:
    // Distinct colours, so every drawing can be told by its colour.
    const gColor activeB{0xff102030u}, activeF{0xff405060u};
    const gColor normalB{0xff708090u}, normalF{0xffa0b0c0u};

    // Redraws entry into rect in state; what redraw returned is in returned.
    const gDrawRecord& draw(eListBoxEntry& entry, const eRect& rect, int state = 0);
    // The same as text, one line per drawing, "KIND TEXT at X,Y WxH #COLOUR [SKIN NAME]",
    // then "returns TEXT".
    std::string text(eListBoxEntry& entry, const eRect& rect, int state = 0);

    eString returned;

private:
    gPixmap screen{720, 576};
    gPixmapDC dc{&screen};
    gDrawRecord drawn;
};
