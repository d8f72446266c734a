#include "EntryRecorder.h"

#include <fstream>
#include <sstream>

#include "gPainter.h"

std::string readBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const gDrawRecord& EntryRecorder::draw(eListBoxEntry& entry, const eRect& rect, int state) {
    drawn.clear();
    gPainter painter(dc);
    painter.setRecord(&drawn);
    returned = entry.redraw(&painter, rect, activeB, activeF, normalB, normalF, state);
    return drawn;
}
