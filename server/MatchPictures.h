#pragma once
// Draws the sample data's match pictures: a small football pitch framed in the
// colour of its competition, 24 x 18 pixels, and writes them as PNG files.

#include <cstdint>
#include <string>
#include <vector>

class MatchPictures {
public:
    struct Picture {
        std::string name;  // file name, "cup.png"
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> rgba;  // rows top to bottom
    };

    static std::vector<Picture> draw();
    // Writes one picture; false when the file can't be written.
    static bool writePng(const Picture& picture, const std::string& path);
};
