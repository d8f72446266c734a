#pragma once
// Rows of the listings database as the answers use them.

#include <cstdint>
#include <string>
#include <vector>

#include "OrbitalPosition.h"

struct MatchRecord {
    std::int32_t id = 0;
    std::string title;
    std::string country1;
    std::string picture;
    std::string country2;
    std::int64_t kickoffUtc = 0;  // seconds since 1970-01-01 00:00 UTC
};

struct MatchSatellite {
    std::int32_t matchId = 0;
    OrbitalPosition position{0, 'e'};
};

struct ChannelRecord {
    std::int32_t id = 0;
    std::string name;
    OrbitalPosition position{0, 'e'};
    std::string frequency;
    std::string polarisation;
    std::int32_t symbolRate = 0;
    std::string fec;
    std::string encryption;
    bool hd = false;
};

// The matches of a listings answer and their satellites.
struct Listings {
    std::vector<MatchRecord> matches;        // by kick-off, then id
    std::vector<MatchSatellite> satellites;  // grouped by match in that order
};
