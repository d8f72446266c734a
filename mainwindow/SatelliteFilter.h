#pragma once
// The four satellite filters of the colour keys, and an index that tells which
// matches pass each of them. The index is built once from the satellite
// records and answers exactly as a scan of every satellite of the match would.

#include <cstdint>
#include <list>
#include <unordered_map>

#include "eString.h"
#include "matchray_satellites.h"

class SatelliteFilter {
public:
    static constexpr int count = 4;

    // Whether filter accepts a position key such as "13.0e" (exact,
    // case-sensitive). 0, and any value outside 0 to 3, accepts every key.
    static bool accepts(int filter, const eString& positionKey);

    SatelliteFilter() = default;
    explicit SatelliteFilter(const std::list<matchray_satellites>& satellites);

    // Whether some satellite record of the match has a key that filter accepts.
    bool qualifies(int32_t matchId, int filter) const;

private:
    // Per match id, bit f set when filter f accepts one of its keys.
    std::unordered_map<int32_t, unsigned> passes;
};
