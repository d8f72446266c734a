#include "SatelliteFilter.h"

#include "ColourKeyPositions.h"

namespace {

int normalised(int filter) {
    return filter >= 0 && filter < ColourKeyPositions::count ? filter : 0;
}

}  // namespace

SatelliteFilter::SatelliteFilter(const std::list<matchray_satellites>& satellites) {
    for (const matchray_satellites& satellite : satellites) {
        const eString key = satellite.positionKey();
        unsigned& bits = passes[satellite.match_id];
        for (int filter = 0; filter < ColourKeyPositions::count; ++filter)
            if (ColourKeyPositions::accepts(filter, key)) bits |= 1u << filter;
    }
}

bool SatelliteFilter::qualifies(int32_t matchId, int filter) const {
    auto found = passes.find(matchId);
    return found != passes.end() && (found->second & (1u << normalised(filter))) != 0;
}
