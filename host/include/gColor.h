#pragma once
// A true-colour value, 0xAARRGGBB. The real host uses palette indices; a
// true-colour screen needs no palette, so the value is the colour itself.

#include <cstdint>

struct gColor {
    uint32_t argb = 0xff000000u;
    constexpr gColor() = default;
    constexpr explicit gColor(uint32_t argb) : argb(argb) {}
    constexpr uint8_t alpha() const { return static_cast<uint8_t>(argb >> 24); }
    constexpr uint8_t red() const { return static_cast<uint8_t>(argb >> 16); }
    constexpr uint8_t green() const { return static_cast<uint8_t>(argb >> 8); }
    constexpr uint8_t blue() const { return static_cast<uint8_t>(argb); }
    constexpr bool operator==(const gColor& o) const { return argb == o.argb; }
    constexpr bool operator!=(const gColor& o) const { return argb != o.argb; }
};
