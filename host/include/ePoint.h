#pragma once
// Points and sizes in screen pixels.

struct ePoint {
    int x = 0;
    int y = 0;
    constexpr ePoint() = default;
    constexpr ePoint(int x, int y) : x(x), y(y) {}
    constexpr ePoint operator+(const ePoint& o) const { return {x + o.x, y + o.y}; }
    constexpr ePoint operator-(const ePoint& o) const { return {x - o.x, y - o.y}; }
    constexpr bool operator==(const ePoint& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const ePoint& o) const { return !(*this == o); }
};

struct eSize {
    int width = 0;
    int height = 0;
    constexpr eSize() = default;
    constexpr eSize(int width, int height) : width(width), height(height) {}
    constexpr bool operator==(const eSize& o) const {
        return width == o.width && height == o.height;
    }
    constexpr bool operator!=(const eSize& o) const { return !(*this == o); }
};
