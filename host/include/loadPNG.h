#pragma once
// PNG pictures. loadPNG takes a receiver path, maps it under the receiver root
// and decodes it with libpng into a true-colour pixmap. It returns null on any
// failure: a missing, empty, truncated or corrupt file, or one too large.
// The caller owns the result.

#include <string>

class gPixmap;

gPixmap* loadPNG(const char* filename);

// Writes a pixmap as a PNG to a real (unmapped) path. Used for screenshots.
bool savePNG(const std::string& realPath, const gPixmap& pixmap);
