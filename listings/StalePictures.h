#pragma once
// Removes the ".png" files directly in a folder that no match names as its
// picture. Other files, and a folder that can't be read, are left alone.

#include <list>

#include "matchray_matches.h"

class StalePictures {
public:
    static void remove(const std::string& folder, const std::list<matchray_matches>& matches);
};
