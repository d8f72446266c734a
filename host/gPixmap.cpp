#include "gPixmap.h"

gPixmap::gPixmap(int width, int height, gColor fill)
    : w(width > 0 ? width : 0),
      h(height > 0 ? height : 0),
      pixels(static_cast<size_t>(w) * h, fill.argb) {}
