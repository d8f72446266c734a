#include "SatelliteFilter.h"

#include <algorithm>
#include <iterator>

namespace {

// Accepted position keys of filters 1 to 3.
const char* const green[] = {"1.0w", "13.0e", "16.0e", "19.2e"};
const char* const yellow[] = {"13.0e", "16.0e", "19.2e"};
const char* const blue[] = {"13.0e", "19.2e"};

template <size_t N>
bool contains(const char* const (&keys)[N], const eString& key) {
    return std::any_of(std::begin(keys), std::end(keys),
                       [&key](const char* accepted) { return key == accepted; });
}

int normalised(int filter) {
    return filter >= 0 && filter < SatelliteFilter::count ? filter : 0;
}

}  // namespace

bool SatelliteFilter::accepts(int filter, const eString& positionKey) {
    switch (normalised(filter)) {
        case 1:
            return contains(green, positionKey);
        case 2:
            return contains(yellow, positionKey);
        case 3:
            return contains(blue, positionKey);
        default:
            return true;
    }
}

SatelliteFilter::SatelliteFilter(const std::list<matchray_satellites>& satellites) {
    for (const matchray_satellites& satellite : satellites) {
        const eString key = satellite.positionKey();
        unsigned& bits = passes[satellite.match_id];
        for (int filter = 0; filter < count; ++filter)
            if (accepts(filter, key)) bits |= 1u << filter;
    }
}

bool SatelliteFilter::qualifies(int32_t matchId, int filter) const {
    auto found = passes.find(matchId);
    return found != passes.end() && (found->second & (1u << normalised(filter))) != 0;
}
