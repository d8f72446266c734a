// The channel file reader on any bytes as the channel file.

#include <cstdint>
#include <list>

#include "ChannelFileReader.h"
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool utf8 = isValidUtf8(reinterpret_cast<const char*>(data), size);
    MemoryFile file(data, size);
    std::list<match_ray_channels> channels;
    auto result = ChannelFileReader::read(file.get(), channels);
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
    return 0;
}
