// The listings loader on any bytes as the listings file.

#include <cstdint>

#include "FuzzChecks.h"
#include "ListingsLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool utf8 = isValidUtf8(reinterpret_cast<const char*>(data), size);
    MemoryFile file(data, size);
    int result = ListingsLoader::read(
        file.get(),
        [utf8](const matchray_matches& m) {
            checkField(m.title, 199, utf8);
            checkField(m.country1, 19, utf8);
            checkField(m.picture, 19, utf8);
            checkField(m.country2, 19, utf8);
            checkField(m.kickoff, 49, utf8);
        },
        [utf8](const matchray_satellites& s) {
            checkField(s.sat_position, 9, utf8);
            checkField(s.sat_direction, 9, utf8);
        });
    if (result != 0 && result != 1) __builtin_trap();
    return 0;
}
