#pragma once
// One satellite that carries a match. The position key is sat_position
// followed directly by sat_direction, such as "13.0e".

#include <cstdint>

#include "eString.h"

struct matchray_satellites {
    int32_t match_id = 0;
    eString sat_position;
    eString sat_direction;

    eString positionKey() const { return eString(sat_position + sat_direction); }
};
