#pragma once
// Reads the listings file: a match count line, that many match lines
// "id#title#country1#picture#country2#kickoff", a satellite count line and that
// many satellite lines "match_id#sat_position#sat_direction". Text fields are
// cut at their capacities, never inside a UTF-8 sequence.

#include <cstdio>
#include <functional>
#include <string>

#include "matchray_matches.h"
#include "matchray_satellites.h"

class ListingsLoader {
public:
    using MatchSink = std::function<void(const matchray_matches&)>;
    using SatelliteSink = std::function<void(const matchray_satellites&)>;

    // Opens the file at a receiver path, hands every record to the sinks in file
    // order, closes the file and removes it on every path. Returns 1 when the
    // file was read to the end or can't be opened, 0 when a count or a counted
    // line can't be read; the records handed over before stay handed over.
    static int load(const std::string& receiverPath, const MatchSink& saveM,
                    const SatelliteSink& saveS);

    // The same on an open stream, which is neither closed nor removed.
    static int read(FILE* file, const MatchSink& saveM, const SatelliteSink& saveS);
};
