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
    EXPECT_EQ(expected.str(), text) << path << " (MATCHRAY_UPDATE_GOLDEN=1 writes it anew)";
}
