#pragma once
// Removes the ".png" files directly under "/tmp/" that no match names as its
// picture. Other files, and a directory that can't be read, are left alone.

#include <list>

#include "matchray_matches.h"

class StalePictures {
public:
    static void remove(const std::list<matchray_matches>& matches);
};
