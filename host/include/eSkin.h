#pragma once
// The active skin: named colours and fonts, read from a small text file.
// The real host reads its skin from XML; the stand-in's format is one entry a line:
//   color NAME #AARRGGBB
//   font NAME FAMILY SIZE
//   fontfile FAMILY PATH
//   deco NAME BORDER_WIDTH COLOR_NAME
// '#' at the start of a line begins a comment. Colours may also be written
// #RRGGBB (opaque). A relative font path is taken from the skin file's folder.
// The first fontfile line names the default family. Later lines override
// earlier ones of the same name.

#include <map>
#include <string>

#include "eString.h"
#include "gColor.h"
#include "gFont.h"

class eSkin {
public:
    // The skin in use. Loads the default skin file on first use: the path in the
    // environment variable MATCHRAY_SKIN, else the project's data/skin.conf.
    static eSkin* getActive();

    // Reads a skin file; false, with a message in error, when it can't be read.
    bool load(const std::string& path, std::string* error = nullptr);

    // Unknown names give opaque black and an empty family of size 16.
    gColor queryColor(const eString& name) const;
    gFont queryFont(const eString& name) const;

    bool hasColor(const eString& name) const { return colors.count(name) != 0; }
    bool hasDeco(const eString& name) const { return decos.count(name) != 0; }

    // The name of a skin colour with this value, or null. Used by dumps.
    const char* colorName(const gColor& color) const;
    // The font file of a family; the default family's when unknown.
    std::string fontFile(const eString& family) const;

    struct Deco {
        int border = 0;
        gColor color;
    };
    // A widget decoration by name; an empty decoration when unknown.
    Deco queryDeco(const eString& name) const;

private:
    std::map<std::string, gColor> colors;
    std::map<std::string, gFont> fonts;
    std::map<std::string, std::string> fontFiles;
    std::map<std::string, Deco> decos;
    std::string defaultFamily;
};
