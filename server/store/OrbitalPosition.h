#pragma once
// A satellite's orbital position in tenths of a degree east or west, written
// as the receiver's filter keys are: "13.0e", "19.2e", "1.0w".

#include <optional>
#include <string>
#include <string_view>

class OrbitalPosition {
public:
    OrbitalPosition(int tenths, char direction) : tenths(tenths), direction(direction) {}

    // Reads "19.2e", "19.2E", "13e" or "1W": degrees up to 180 with at most one
    // decimal, then the direction letter.
    static std::optional<OrbitalPosition> parse(std::string_view text);

    std::string position() const;  // "19.2"
    std::string directionText() const { return std::string(1, direction); }
    std::string key() const { return position() + directionText(); }

    int tenths;      // 0 to 1800
    char direction;  // 'e' or 'w'
};
