#include "EntryRecorder.h"

#include <cstdio>

#include "eSkin.h"
#include "gPainter.h"

const gDrawRecord& EntryRecorder::draw(eListBoxEntry& entry, const eRect& rect, int state) {
    drawn.clear();
    gPainter painter(dc);
    painter.setRecord(&drawn);
    returned = entry.redraw(&painter, rect, activeB, activeF, normalB, normalF, state);
    return drawn;
}

std::string EntryRecorder::text(eListBoxEntry& entry, const eRect& rect, int state) {
    std::string text;
    for (const gDrawOp& op : draw(entry, rect, state).operations()) {
        const char* name = eSkin::getActive()->colorName(op.color);
        char line[512];
        std::snprintf(line, sizeof line, "%c %s at %d,%d %dx%d #%08X %s\n", "fltp"[int(op.kind)],
                      op.text.c_str(), op.area.left(), op.area.top(), op.area.width(),
                      op.area.height(), op.color.argb, name ? name : "");
        text += line;
    }
    return text + "returns " + returned + "\n";
}
