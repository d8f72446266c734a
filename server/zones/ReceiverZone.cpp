#include "ReceiverZone.h"

#include <cstdio>
#include <cstdlib>

std::string ReceiverZone::name() const {
    if (zone) return zone->name();
    if (offsetMinutes == 0) return "UTC";
    char text[16];
    const int m = std::abs(offsetMinutes);
    std::snprintf(text, sizeof text, "UTC%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', m / 60,
                  m % 60);
    return text;
}

date::local_seconds ReceiverZone::toLocal(date::sys_seconds utc) const {
    if (zone) return zone->to_local(utc);
    return date::local_seconds{utc.time_since_epoch() + std::chrono::minutes{offsetMinutes}};
}
