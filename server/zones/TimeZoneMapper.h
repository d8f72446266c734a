#pragma once
// Maps a receiver's time zone display name to the zone its kick-offs are
// written in:
//  1. the first place of the name that is a zone's own name ("Sarajevo" is
//     Europe/Sarajevo, "Mexico City" America/Mexico_City), or one of a few
//     region names ("Eastern Time (US & Canada)");
//  2. else the name's GMT offset, fixed, without daylight saving time;
//  3. else UTC.
// Built once over the system's tz database; safe to use from many threads.

#include <string>
#include <string_view>
#include <unordered_map>

#include "ReceiverZone.h"

class TimeZoneMapper {
public:
    TimeZoneMapper();

    ReceiverZone map(std::string_view displayName) const;

private:
    const date::time_zone* zoneForPlace(std::string_view place) const;

    // Lower-case last part of a zone name ("sarajevo") to its zone.
    std::unordered_map<std::string, const date::time_zone*> byPlace;
    // Lower-case full zone name ("europe/berlin") to its zone.
    std::unordered_map<std::string, const date::time_zone*> byName;
};
