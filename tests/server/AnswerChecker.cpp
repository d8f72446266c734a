#include "AnswerChecker.h"

#include <cstdio>
#include <memory>

namespace {

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File open(const std::string& text) {
    // fmemopen can't open an empty buffer for reading everywhere; a lone blank reads the same.
    static const char blank[] = " ";
    return File(text.empty() ? fmemopen(const_cast<char*>(blank), 1, "r")
                             : fmemopen(const_cast<char*>(text.data()), text.size(), "r"),
                std::fclose);
}

// The last field of a line ends at the line break; anything else means it was cut.
bool lineEnds(FILE* f) {
    const int c = std::fgetc(f);
    return c == '\n' || c == EOF;
}

// What the pattern's closing "\n" does: skip any white space.
void skipBlanks(FILE* f) {
    int c;
    while ((c = std::fgetc(f)) == ' ' || c == '\n' || c == '\r' || c == '\t') {
    }
    if (c != EOF) std::ungetc(c, f);
}

// After the last counted line only white space may follow.
bool onlyBlanksLeft(FILE* f) {
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return false;
    }
    return true;
}

}  // namespace

CheckedListings AnswerChecker::readListings(const std::string& answer) {
    CheckedListings out;
    File f = open(answer);
    int count = 0;
    if (std::fscanf(f.get(), "%d\n", &count) != 1) {
        out.problem = "no match count";
        return out;
    }
    for (int i = 0; i < count; ++i) {
        char title[200] = "", c1[20] = "", pic[20] = "", c2[20] = "", kickoff[50] = "";
        CheckedMatch m;
        const int n = std::fscanf(f.get(), "%d#%199[^#]#%19[^#]#%19[^#]#%19[^#]#%49[^\n]", &m.id,
                                  title, c1, pic, c2, kickoff);
        if (n != 6 || !lineEnds(f.get())) {
            out.problem = "match line " + std::to_string(i + 1) + " not whole (" +
                          std::to_string(n) + " fields)";
            return out;
        }
        m.title = title;
        m.country1 = c1;
        m.picture = pic;
        m.country2 = c2;
        m.kickoff = kickoff;
        out.matches.push_back(m);
        skipBlanks(f.get());
    }
    if (std::fscanf(f.get(), "%d\n", &count) != 1) {
        out.problem = "no satellite count";
        return out;
    }
    for (int i = 0; i < count; ++i) {
        char position[10] = "", direction[10] = "";
        CheckedSatellite s;
        const int n = std::fscanf(f.get(), "%d#%9[^#]#%9[^\n]", &s.matchId, position, direction);
        if (n != 3 || !lineEnds(f.get())) {
            out.problem = "satellite line " + std::to_string(i + 1) + " not whole";
            return out;
        }
        s.position = position;
        s.direction = direction;
        out.satellites.push_back(s);
        skipBlanks(f.get());
    }
    if (!onlyBlanksLeft(f.get())) out.problem = "text after the last satellite line";
    return out;
}

CheckedChannels AnswerChecker::readChannels(const std::string& answer) {
    CheckedChannels out;
    File f = open(answer);
    int count = 0;
    if (std::fscanf(f.get(), "%d\n", &count) != 1) {
        out.problem = "no channel count";
        return out;
    }
    for (int i = 0; i < count; ++i) {
        char name[100] = "", position[10] = "", direction[10] = "", frequency[10] = "",
             polarisation[10] = "", fec[10] = "", encryption[100] = "";
        CheckedChannel c;
        const int n =
            std::fscanf(f.get(), "%d#%d#%99[^#]#%9[^#]#%9[^#]#%9[^#]#%9[^#]#%d#%9[^#]#%99[^#]#%d",
                        &c.idA, &c.idB, name, position, direction, frequency, polarisation,
                        &c.symbolRate, fec, encryption, &c.hd);
        if (n != 11 || !lineEnds(f.get())) {
            out.problem = "channel line " + std::to_string(i + 1) + " not whole (" +
                          std::to_string(n) + " fields)";
            return out;
        }
        c.name = name;
        c.position = position;
        c.direction = direction;
        c.frequency = frequency;
        c.polarisation = polarisation;
        c.fec = fec;
        c.encryption = encryption;
        out.channels.push_back(c);
        skipBlanks(f.get());
    }
    if (!onlyBlanksLeft(f.get())) out.problem = "text after the last channel line";
    return out;
}
