// match-pictures DIR: writes the sample match pictures into DIR.

#include <cstdio>

#include "MatchPictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: match-pictures DIR\n");
        return 2;
    }
    for (const MatchPictures::Picture& picture : MatchPictures::draw()) {
        const std::string path = std::string(argv[1]) + "/" + picture.name;
        if (!MatchPictures::writePng(picture, path)) {
            std::fprintf(stderr, "match-pictures: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
