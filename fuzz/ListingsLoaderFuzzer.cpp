// The listings loader on any bytes as the listings file.

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "FuzzChecks.h"
#include "ListingsLoader.h"

namespace {

// Small caps, so that inputs reach them.
const RecordCaps smallCaps{3, 5, 1};

bool same(const matchray_matches& a, const matchray_matches& b) {
    return a.id == b.id && a.title == b.title && a.country1 == b.country1 &&
           a.picture == b.picture && a.country2 == b.country2 && a.kickoff == b.kickoff;
}
bool same(const matchray_satellites& a, const matchray_satellites& b) {
    return a.match_id == b.match_id && a.sat_position == b.sat_position &&
           a.sat_direction == b.sat_direction;
}

template <typename List>
bool startsWith(const List& whole, const List& part) {
    if (part.size() > whole.size()) return false;
    return std::equal(part.begin(), part.end(), whole.begin(),
                      [](const auto& a, const auto& b) { return same(a, b); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool utf8 = isValidUtf8(reinterpret_cast<const char*>(data), size);
    const ListingsLoader::Result whole = ListingsLoader::read(MemoryFile(data, size).get());
    if (whole.status != 0 && whole.status != 1) __builtin_trap();
    for (const matchray_matches& m : whole.matches) {
        checkField(m.title, 199, utf8);
        checkField(m.country1, 19, utf8);
        checkField(m.picture, 19, utf8);
        checkField(m.country2, 19, utf8);
        checkField(m.kickoff, 49, utf8);
    }
    for (const matchray_satellites& s : whole.satellites) {
        checkField(s.sat_position, 9, utf8);
        checkField(s.sat_direction, 9, utf8);
    }

    // The caps keep the first records and change nothing else: the lines past
    // a cap are still read, so the satellite section and the status stay.
    const ListingsLoader::Result capped =
        ListingsLoader::read(MemoryFile(data, size).get(), smallCaps);
    if (capped.status != whole.status || capped.matches.size() > smallCaps.matches ||
        capped.satellites.size() > smallCaps.satellites ||
        capped.matches.size() != std::min(whole.matches.size(), smallCaps.matches) ||
        capped.satellites.size() != std::min(whole.satellites.size(), smallCaps.satellites) ||
        !startsWith(whole.matches, capped.matches) ||
        !startsWith(whole.satellites, capped.satellites)) {
        __builtin_trap();
    }
    return 0;
}
