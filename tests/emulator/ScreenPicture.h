#pragma once
// Checks on a screenshot that the emulator wrote.

#include <memory>
#include <string>

#include "eRect.h"
#include "gPixmap.h"

// Loads a PNG from a real path; null when it can't be read.
std::unique_ptr<gPixmap> loadShot(const std::string& realPath);

// How many pixels of area differ from the area's most common colour, the background.
int pixelsOffBackground(const gPixmap& picture, const eRect& area);

// Where the test plug-in's window shows its title and its status line.
eRect titleArea();
eRect statusArea();
