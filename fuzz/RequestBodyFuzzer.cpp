// The listings server's request body parser on any bytes as a posted body.

#include <cstdint>
#include <string>
#include <string_view>

#include "RequestBody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);

    // A body that parses, written again the way the receiver writes it, reads back the same.
    const auto listings = RequestBody::parseListings(body);
    if (listings.ok()) {
        const auto& v = listings.value;
        if (v.device.size() != 17) __builtin_trap();
        const auto again = RequestBody::parseListings("z=" + v.zoneName + "&m=" + v.device);
        if (!again.ok() || again.value.zoneName != v.zoneName || again.value.device != v.device) {
            __builtin_trap();
        }
    }

    const auto channels = RequestBody::parseChannels(body);
    if (channels.ok()) {
        const auto& v = channels.value;
        if (v.device.size() != 17) __builtin_trap();
        const auto again = RequestBody::parseChannels("id=" + std::to_string(v.matchId) + "&f=" +
                                                      std::to_string(v.filter) + "&m=" + v.device);
        if (!again.ok() || again.value.matchId != v.matchId || again.value.filter != v.filter ||
            again.value.device != v.device) {
            __builtin_trap();
        }
    }

    const std::string device = RequestBody::deviceForLog(body);
    if (device.empty() || device.size() > 32) __builtin_trap();
    for (unsigned char c : device) {
        if (c <= 0x20 || c >= 0x7f) __builtin_trap();
    }
    return 0;
}
