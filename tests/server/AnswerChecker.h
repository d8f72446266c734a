#pragma once
// Reads the server's answers as the receiver does, with the scanf patterns of
// the listings file and the channel file and the receiver's field capacities,
// and says whether every counted line came back whole.

#include <string>
#include <vector>

struct CheckedMatch {
    int id = 0;
    std::string title, country1, picture, country2, kickoff;
};

struct CheckedSatellite {
    int matchId = 0;
    std::string position, direction;
};

struct CheckedChannel {
    int idA = 0, idB = 0;
    std::string name, position, direction, frequency, polarisation;
    int symbolRate = 0;
    std::string fec, encryption;
    int hd = 0;
};

struct CheckedListings {
    std::vector<CheckedMatch> matches;
    std::vector<CheckedSatellite> satellites;
    std::string problem;  // empty when everything was read whole
};

struct CheckedChannels {
    std::vector<CheckedChannel> channels;
    std::string problem;
};

class AnswerChecker {
public:
    static CheckedListings readListings(const std::string& answer);
    static CheckedChannels readChannels(const std::string& answer);
};
