#pragma once
// The files the servers send, built for a test: listings files, channel files
// and pictures. Broken inputs are files in fuzz/corpus/, read with readBinary.

#include <functional>
#include <string>
#include <vector>

// The listings server's two scripts, as the plug-in and the servers name them.
const std::string listingsPath = "/pitchsidenew/matchray_data_dm.php";
const std::string channelsPath = "/pitchsidenew/matchray_channels_dm.php";

namespace TestFiles {

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

// A valid 8x8 PNG.
std::string png();

}  // namespace TestFiles

// A file's bytes, such as a case file or a project picture; empty when it can't be read.
std::string readBinary(const std::string& path);

// The paths of the files in a fuzz target's seed folder, fuzz/corpus/TARGET/, sorted.
std::vector<std::string> corpusFiles(const std::string& target);

// Each file of that folder as "NAME: " and what f makes of its bytes, a line each.
std::string overCorpus(const std::string& target,
                       const std::function<std::string(const std::string& bytes)>& f);
