#include "Snapshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

void expectSnapshot(const std::string& name, const std::string& text) {
    const std::string path = MATCHRAY_SOURCE_DIR "/tests/snapshots/" + name + ".txt";
    if (std::getenv("MATCHRAY_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << "no snapshot " << path
                      << "; run with MATCHRAY_UPDATE_GOLDEN=1 to write it";
    std::stringstream expected;
    expected << file.rdbuf();
    if (expected.str() == text) return;
    std::istringstream want(expected.str()), got(text);
    std::string wantLine, gotLine;
    for (int line = 1;; ++line) {
        const bool moreWanted = static_cast<bool>(std::getline(want, wantLine));
        const bool moreGot = static_cast<bool>(std::getline(got, gotLine));
        if (!moreWanted && !moreGot) break;
        if (!moreWanted || !moreGot || wantLine != gotLine) {
            ADD_FAILURE() << path << ", line " << line << ":\n  expected: " << wantLine
                          << "\n  actual:   " << gotLine
                          << "\n(MATCHRAY_UPDATE_GOLDEN=1 writes the snapshot anew)";
            return;
        }
    }
}
