#include "gDrawRecord.h"

std::string gDrawRecord::describe() const {
    std::string result;
    bool first = true;
    for (const gDrawOp& op : ops) {
        std::string part;
        if (op.kind == gDrawOp::Kind::text) {
            part = op.text;
        } else if (op.kind == gDrawOp::Kind::picture) {
            part = "[picture " + op.text + "]";
        } else {
            continue;
        }
        if (!first) result += " | ";
        result += part;
        first = false;
    }
    return result;
}
