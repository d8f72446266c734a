// The listings server's time zone name parser, and the mapping of a name to
// the zone kick-offs are written in, on any bytes as a receiver's time zone text.

#include <cstdint>
#include <string_view>

#include "TimeZoneMapper.h"
#include "TimeZoneName.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const TimeZoneName name = TimeZoneName::parse(text);
    if (name.offsetMinutes && (*name.offsetMinutes < -12 * 60 || *name.offsetMinutes > 14 * 60)) {
        __builtin_trap();
    }
    for (const std::string& place : name.places) {
        if (place.empty() || place.front() == ' ' || place.back() == ' ' ||
            place.find_first_of(",;:") != std::string::npos) {
            __builtin_trap();
        }
    }

    static const TimeZoneMapper mapper;
    const ReceiverZone zone = mapper.map(text);
    if (zone.name().empty()) __builtin_trap();
    // Kick-offs in 2024 and at the ends of what the server stores.
    for (long long seconds : {1718000000LL, 0LL, 4102444800LL}) {
        (void)zone.toLocal(date::sys_seconds{std::chrono::seconds{seconds}});
    }
    return 0;
}
