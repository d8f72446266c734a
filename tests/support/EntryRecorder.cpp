#include "EntryRecorder.h"

#include "gPainter.h"

const gDrawRecord& EntryRecorder::draw(eListBoxEntry& entry, const eRect& rect, int state) {
    drawn.clear();
    gPainter painter(dc);
    painter.setRecord(&drawn);
    returned = entry.redraw(&painter, rect, activeB, activeF, normalB, normalF, state);
    return drawn;
}
