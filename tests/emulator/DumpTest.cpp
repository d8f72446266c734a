// What the headless emulator's dump shows of the test plug-in's window.

#include <gtest/gtest.h>

#include "EmulatorRun.h"

namespace {

const std::string flagPath = "/var/tuxbox/config/pitchside/countries/";

class EmulatorDump : public ::testing::Test {
protected:
    void SetUp() override { installFlags(root, {"de", "fr", "it", "es", "br"}); }
    TempRoot root;
};

TEST_F(EmulatorDump, ShowsWindowButtonsAndDrawnEntries) {
    EmulatorRun run = runEmulator(root, "dump\n");
    ASSERT_EQ(run.process.exitCode, 0) << run.process.err;
    ASSERT_EQ(run.dumps.size(), 1u) << run.process.out;
    const std::string& dump = run.dumps[0];

    EXPECT_EQ(linesWith(dump, "eWindow \"\" \"Emulator test\"").size(), 1u) << dump;
    for (const char* text : {"\"Red\"", "\"Green\"", "\"Yellow\"", "\"Blue\""}) {
        EXPECT_EQ(linesWith(dump, std::string("eButton \"\" ") + text).size(), 1u) << dump;
    }
    EXPECT_EQ(linesWith(dump, "\"No greeting\"").size(), 1u) << dump;

    // The first page of entries, each with its text and its flag, drawn in that order.
    const auto germany = linesWith(dump, "entry 0:");
    ASSERT_EQ(germany.size(), 1u) << dump;
    EXPECT_NE(germany[0].find("* entry 0: Germany | [picture " + flagPath + "de.png]"),
              std::string::npos)
        << germany[0];
    for (const auto& [index, code] : {std::pair{1, "fr"}, {2, "it"}, {3, "es"}}) {
        const auto lines = linesWith(dump, "entry " + std::to_string(index) + ":");
        ASSERT_EQ(lines.size(), 1u) << dump;
        EXPECT_NE(lines[0].find("[picture " + flagPath + code + ".png]"), std::string::npos)
            << lines[0];
        EXPECT_EQ(lines[0].find("* "), std::string::npos) << lines[0];
    }
}

TEST_F(EmulatorDump, EntryWithMissingPictureDrawsItsTextOnly) {
    // Scroll to the last entry, whose picture doesn't exist.
    EmulatorRun run = runEmulator(root, "key down\nkey down\nkey down\nkey down\nkey down\ndump\n");
    ASSERT_EQ(run.dumps.size(), 1u) << run.process.out << run.process.err;
    const auto atlantis = linesWith(run.dumps[0], "entry 5:");
    ASSERT_EQ(atlantis.size(), 1u) << run.dumps[0];
    EXPECT_NE(atlantis[0].find("* entry 5: Atlantis"), std::string::npos) << atlantis[0];
    EXPECT_EQ(atlantis[0].find("[picture"), std::string::npos) << atlantis[0];
}

TEST_F(EmulatorDump, LabelSetFromAnotherThreadAppearsInTheNextDump) {
    EmulatorRun run = runEmulator(root, "wait 1500\ndump\n");
    ASSERT_EQ(run.dumps.size(), 1u) << run.process.out << run.process.err;
    EXPECT_EQ(linesWith(run.dumps[0], "eLabel \"worker\" \"Set by the worker thread\"").size(), 1u)
        << run.dumps[0];
}

}  // namespace
