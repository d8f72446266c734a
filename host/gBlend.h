#pragma once
// Alpha blending of 0xAARRGGBB pixels, built with shifts so it is the same on
// any byte order.

#include <cstdint>

// src over dst, src's alpha scaled by coverage (0 to 255).
inline uint32_t gBlend(uint32_t dst, uint32_t src, uint32_t coverage) {
    const uint32_t alpha = ((src >> 24) * coverage + 127) / 255;
    if (alpha == 0) return dst;
    if (alpha == 255) return src | 0xff000000u;
    const uint32_t inverse = 255 - alpha;
    auto channel = [&](int shift) {
        const uint32_t s = (src >> shift) & 0xffu;
        const uint32_t d = (dst >> shift) & 0xffu;
        return ((s * alpha + d * inverse + 127) / 255) << shift;
    };
    const uint32_t outAlpha = alpha + ((dst >> 24) * inverse + 127) / 255;
    return (outAlpha << 24) | channel(16) | channel(8) | channel(0);
}
