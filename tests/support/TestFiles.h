#pragma once
// The files the servers send, built for a test: well-formed listings and
// channel files, pictures, and what a misbehaving server sends instead
// (garbage, broken text and broken pictures).

#include <cstddef>
#include <string>
#include <vector>

namespace TestFiles {

// Pseudo-random bytes, the same for the same seed; the first byte is 0xFF, so
// no reader takes the start for a number.
std::string garbage(size_t size, unsigned seed = 1);

// Bytes that are not UTF-8: stray continuation bytes, a sequence cut short, an
// overlong form, a surrogate and 0xFF.
std::string invalidUtf8();

struct Match {
    int id;
    std::string title;
    std::string picture;
    std::string kickoff = "Sat 20:45";
    std::string country1 = "de";
    std::string country2 = "fr";
    std::string satellite = "13.0#e";  // position '#' direction
};
// A listings file with one satellite line per match.
std::string listings(const std::vector<Match>& matches);

// A channel file with one channel line of this name and encryption text.
std::string channels(const std::string& name, const std::string& encryption = "FTA");

// A valid 8x8 PNG; the same cut in half; a text that calls itself a picture.
std::string png();
std::string truncatedPng();
std::string notPng();

}  // namespace TestFiles
