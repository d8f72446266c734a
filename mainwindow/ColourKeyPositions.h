#pragma once
// The orbital positions that each colour key's filter lets through, by
// position key ("13.0e"): 0 red "All" every key, 1 green, 2 yellow, 3 blue.
// Any other index accepts every key, as 0 does. This is the one table: the
// match list filters by it, and the listings server filters the channels of
// its channel answers by the same index, which the channel request sends.

#include <algorithm>
#include <initializer_list>
#include <string_view>

class ColourKeyPositions {
public:
    static constexpr int count = 4;

    // Exact and case-sensitive.
    static bool accepts(int filter, std::string_view positionKey) {
        const auto oneOf = [positionKey](std::initializer_list<std::string_view> keys) {
            return std::find(keys.begin(), keys.end(), positionKey) != keys.end();
        };
        switch (filter) {
            case 1:
                return oneOf({"1.0w", "13.0e", "16.0e", "19.2e"});
            case 2:
                return oneOf({"13.0e", "16.0e", "19.2e"});
            case 3:
                return oneOf({"13.0e", "19.2e"});
            default:
                return true;
        }
    }
};
