#pragma once
// The receiver's four colour-key filters and the position keys each accepts:
// 0 red "All" every key; 1 green "1.0w", "13.0e", "16.0e", "19.2e";
// 2 yellow "13.0e", "16.0e", "19.2e"; 3 blue "13.0e", "19.2e".
// Any other filter accepts every key, as 0 does.

#include <string_view>

class SatelliteFilter {
public:
    static bool accepts(int filter, std::string_view positionKey);
};
