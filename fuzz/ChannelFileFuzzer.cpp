// The channel file reader on any bytes as the channel file.

#include <algorithm>
#include <cstdint>
#include <list>

#include "ChannelFileReader.h"
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool utf8 = isValidUtf8(reinterpret_cast<const char*>(data), size);
    std::list<match_ray_channels> channels;
    auto result = ChannelFileReader::read(MemoryFile(data, size).get(), channels);
    if (result == ChannelFileReader::Result::malformed && !channels.empty()) __builtin_trap();
    for (const auto& c : channels) {
        checkField(c.name, 99, utf8);
        checkField(c.sat_position, 9, utf8);
        checkField(c.sat_direction, 9, utf8);
        checkField(c.frequency, 9, utf8);
        checkField(c.polarisation, 9, utf8);
        checkField(c.fec, 9, utf8);
        checkField(c.encryption, 99, utf8);
    }

    // A cap keeps the first channels and leaves the result as it was.
    constexpr size_t cap = 2;
    std::list<match_ray_channels> capped;
    if (ChannelFileReader::read(MemoryFile(data, size).get(), capped, cap) != result ||
        capped.size() != std::min(channels.size(), cap)) {
        __builtin_trap();
    }
    auto kept = capped.begin();
    for (auto it = channels.begin(); kept != capped.end(); ++it, ++kept) {
        if (kept->id_a != it->id_a || kept->name != it->name || kept->hd != it->hd)
            __builtin_trap();
    }
    return 0;
}
