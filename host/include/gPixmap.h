#pragma once
// A true-colour picture in memory: 32-bit 0xAARRGGBB pixels, row by row.
// Stands in for the host's pixmap, which may be palette-based on a receiver.

#include <cstdint>
#include <mutex>
#include <vector>

#include "ePoint.h"
#include "eString.h"
#include "gColor.h"

class gPixmap {
public:
    gPixmap(int width, int height, gColor fill = gColor(0));

    int width() const { return w; }
    int height() const { return h; }
    eSize size() const { return {w, h}; }

    uint32_t pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x]; }
    void setPixel(int x, int y, uint32_t argb) { pixels[static_cast<size_t>(y) * w + x] = argb; }
    uint32_t* row(int y) { return &pixels[static_cast<size_t>(y) * w]; }
    const uint32_t* row(int y) const { return &pixels[static_cast<size_t>(y) * w]; }

    // Guards the pixels against a concurrent reader such as a screenshot.
    void lock() { mutex.lock(); }
    void unlock() { mutex.unlock(); }

    // The receiver path the picture was loaded from, or a host name such as
    // "shortcut:red"; the painter's record shows it.
    eString source;

private:
    int w;
    int h;
    std::vector<uint32_t> pixels;
    std::mutex mutex;
};
