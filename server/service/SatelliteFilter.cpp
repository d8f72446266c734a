#include "SatelliteFilter.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool oneOf(std::string_view key, std::initializer_list<std::string_view> keys) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

bool SatelliteFilter::accepts(int filter, std::string_view positionKey) {
    switch (filter) {
        case 1:
            return oneOf(positionKey, {"1.0w", "13.0e", "16.0e", "19.2e"});
        case 2:
            return oneOf(positionKey, {"13.0e", "16.0e", "19.2e"});
        case 3:
            return oneOf(positionKey, {"13.0e", "19.2e"});
        default:
            return true;
    }
}
