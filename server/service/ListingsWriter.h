#pragma once
// Writes the listings answer: the match count line, one line per match
// "id#title#country1#picture#country2#kickoff", the satellite count line and
// one line per satellite "match_id#position#direction", each ending in "\n".
// The kick-off is worded in the receiver's zone as "Sat 21:00": the English
// weekday's first three letters, a blank, and the 24-hour local time.

#include <cstdint>
#include <string>

#include "ReceiverZone.h"
#include "Records.h"

class ListingsWriter {
public:
    static std::string write(const Listings& listings, const ReceiverZone& zone);
    static std::string kickoffText(const ReceiverZone& zone, std::int64_t kickoffUtc);
};
