#pragma once
// Reads the listings file: a match count line, that many match lines
// "id#title#country1#picture#country2#kickoff", a satellite count line and that
// many satellite lines "match_id#sat_position#sat_direction". Text fields are
// cut at their capacities, never inside a UTF-8 sequence. At most the capped
// number of records of each kind is kept; the lines past a cap are read and
// discarded, so the satellite section is still found.

#include <cstdio>
#include <list>
#include <string>

#include "TransferLimits.h"
#include "matchray_matches.h"
#include "matchray_satellites.h"

class ListingsLoader {
public:
    struct Result {
        // 1 when the file was read to the end or can't be opened, 0 when a
        // count or a counted line can't be read; the records read before stay.
        int status = 1;
        std::list<matchray_matches> matches;
        std::list<matchray_satellites> satellites;
    };

    // Opens the file at path, reads it, closes it and removes it on every path.
    static Result load(const std::string& path, const RecordCaps& caps = RecordCaps());

    // The same on an open stream, which is neither closed nor removed.
    static Result read(FILE* file, const RecordCaps& caps = RecordCaps());
};
