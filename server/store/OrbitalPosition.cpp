#include "OrbitalPosition.h"

#include <cctype>

std::optional<OrbitalPosition> OrbitalPosition::parse(std::string_view text) {
    if (text.size() < 2) return std::nullopt;
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text.back())));
    if (letter != 'e' && letter != 'w') return std::nullopt;
    text.remove_suffix(1);

    int degrees = 0;
    std::size_t i = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        degrees = degrees * 10 + (text[i] - '0');
        if (degrees > 180) return std::nullopt;
    }
    if (i == 0) return std::nullopt;
    int tenth = 0;
    if (i < text.size()) {
        if (text[i] != '.' || i + 2 != text.size() ||
            !std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            return std::nullopt;
        }
        tenth = text[i + 1] - '0';
    }
    const int tenths = degrees * 10 + tenth;
    if (tenths > 1800) return std::nullopt;
    return OrbitalPosition(tenths, letter);
}

std::string OrbitalPosition::position() const {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}
