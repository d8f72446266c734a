#pragma once
// One channel that carries a match, as a line of the channel file gives it.

#include <cstdint>

#include "eString.h"

struct match_ray_channels {
    int32_t id_a = 0;
    int32_t id_b = 0;
    eString name;
    eString sat_position;
    eString sat_direction;
    eString frequency;
    eString polarisation;
    int32_t symbol_rate = 0;
    eString fec;
    eString encryption;
    int32_t hd = 0;
};
