#pragma once
// One televised match, as a line of the listings file gives it.

#include <cstdint>

#include "eString.h"

struct matchray_matches {
    int32_t id = 0;
    eString title;
    eString country1;
    eString picture;
    eString country2;
    eString kickoff;
};
