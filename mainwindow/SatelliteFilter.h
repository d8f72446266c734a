#pragma once
// Which matches pass each colour key's filter (ColourKeyPositions.h). The
// index is built once from the satellite records and answers exactly as a scan
// of every satellite of the match would.

#include <cstdint>
#include <list>
#include <unordered_map>

#include "matchray_satellites.h"

class SatelliteFilter {
public:
    SatelliteFilter() = default;
    explicit SatelliteFilter(const std::list<matchray_satellites>& satellites);

    // Whether some satellite record of the match has a key that filter
    // accepts. Any filter outside 0 to 3 is taken as 0, "All".
    bool qualifies(int32_t matchId, int filter) const;

private:
    // Per match id, bit f set when filter f accepts one of its keys.
    std::unordered_map<int32_t, unsigned> passes;
};
