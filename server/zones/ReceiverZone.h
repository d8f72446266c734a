#pragma once
// The time zone that kick-offs are written in for one receiver: a zone of the
// system's tz database, with its daylight saving rules, or a fixed offset from
// UTC when the receiver's display name named no known place.

#include <date/tz.h>

#include <chrono>
#include <string>

class ReceiverZone {
public:
    static ReceiverZone named(const date::time_zone* zone) { return ReceiverZone(zone, 0); }
    static ReceiverZone fixed(int offsetMinutes) { return ReceiverZone(nullptr, offsetMinutes); }

    // "Europe/Sarajevo", or "UTC", "UTC+05:30", "UTC-03:00" for a fixed offset.
    std::string name() const;
    date::local_seconds toLocal(date::sys_seconds utc) const;

private:
    ReceiverZone(const date::time_zone* zone, int offsetMinutes)
        : zone(zone), offsetMinutes(offsetMinutes) {}

    const date::time_zone* zone;
    int offsetMinutes;
};
