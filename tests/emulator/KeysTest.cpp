// Keys sent by the headless emulator's script, and what plugin_exec returns.

#include <gtest/gtest.h>

#include "EmulatorRun.h"

namespace {

// The index of the entry marked current in a dump, or -1.
int currentEntry(const std::string& dump) {
    const auto lines = linesWith(dump, "* entry ");
    if (lines.size() != 1) return -1;
    const auto at = lines[0].find("* entry ") + 8;
    return std::stoi(lines[0].substr(at));
}

std::string repeat(const std::string& line, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += line;
    return out;
}

TEST(EmulatorKeys, ColourKeyActivatesItsButton) {
    TempRoot root;
    EmulatorRun run = runEmulator(root, "dump\nkey green\ndump\nkey blue\ndump\n");
    ASSERT_EQ(run.dumps.size(), 3u) << run.process.out << run.process.err;
    EXPECT_TRUE(linesWith(run.dumps[0], "std_dgreen").empty()) << run.dumps[0];

    const auto green = linesWith(run.dumps[1], "eButton \"\" \"Green\"");
    ASSERT_EQ(green.size(), 1u) << run.dumps[1];
    EXPECT_NE(green[0].find("bg=std_dgreen"), std::string::npos) << green[0];
    EXPECT_EQ(linesWith(run.dumps[1], "eLabel \"status\" \"Green pressed\"").size(), 1u)
        << run.dumps[1];

    const auto blue = linesWith(run.dumps[2], "eButton \"\" \"Blue\"");
    ASSERT_EQ(blue.size(), 1u) << run.dumps[2];
    EXPECT_NE(blue[0].find("bg=std_dblue"), std::string::npos) << blue[0];
    EXPECT_EQ(linesWith(run.dumps[2], "eLabel \"status\" \"Blue pressed\"").size(), 1u)
        << run.dumps[2];
}

TEST(EmulatorKeys, UpAndDownMoveTheCurrentEntryAndScroll) {
    TempRoot root;
    // Four entries fit on a page; the fifth and sixth need scrolling.
    EmulatorRun run = runEmulator(root, "key down\ndump\n" + repeat("key down\n", 3) + "dump\n" +
                                            repeat("key down\n", 3) + "dump\n" +
                                            repeat("key up\n", 5) + "dump\n");
    ASSERT_EQ(run.dumps.size(), 4u) << run.process.out << run.process.err;
    EXPECT_EQ(currentEntry(run.dumps[0]), 1) << run.dumps[0];
    EXPECT_EQ(currentEntry(run.dumps[1]), 4) << run.dumps[1];
    EXPECT_EQ(currentEntry(run.dumps[3]), 0) << run.dumps[3];

    // Scrolled past the page: the fifth entry was drawn, the list starts further down.
    const auto brazil = linesWith(run.dumps[1], "entry 4:");
    ASSERT_EQ(brazil.size(), 1u);
    EXPECT_NE(brazil[0].find("Brazil"), std::string::npos) << brazil[0];
    const auto list = linesWith(run.dumps[1], "eListBox \"countries\"");
    ASSERT_EQ(list.size(), 1u) << run.dumps[1];
    EXPECT_NE(list[0].find("top=1"), std::string::npos) << list[0];

    // down at the last entry stays there.
    EXPECT_EQ(currentEntry(run.dumps[2]), 5) << run.dumps[2];
}

TEST(EmulatorKeys, OkOpensMessageBoxAndExitClosesOnlyIt) {
    TempRoot root;
    EmulatorRun run = runEmulator(root, "key down\nkey ok\ndump\nkey exit\ndump\n");
    ASSERT_EQ(run.dumps.size(), 2u) << run.process.out << run.process.err;
    const auto box = linesWith(run.dumps[0], "eMessageBox");
    ASSERT_EQ(box.size(), 1u) << run.dumps[0];
    EXPECT_NE(box[0].find("\"Choice\""), std::string::npos) << box[0];
    EXPECT_EQ(linesWith(run.dumps[0], "\"Choose France?\"").size(), 1u) << run.dumps[0];

    EXPECT_TRUE(linesWith(run.dumps[1], "eMessageBox").empty()) << run.dumps[1];
    EXPECT_EQ(linesWith(run.dumps[1], "eWindow \"\" \"Emulator test\"").size(), 1u) << run.dumps[1];
    EXPECT_EQ(linesWith(run.dumps[1], "\"Message box returned -1\"").size(), 1u) << run.dumps[1];
    // The script ended with the window still open: the emulator closed it with exit.
    EXPECT_TRUE(run.returned);
    EXPECT_EQ(run.result, -1);
}

TEST(EmulatorKeys, PrintedResultIsWhatExecReturned) {
    TempRoot root;
    // Confirming the third entry closes the window with 3.
    EmulatorRun confirmed = runEmulator(root, "key down\nkey down\nkey ok\nkey ok\n");
    EXPECT_EQ(confirmed.process.exitCode, 0) << confirmed.process.err;
    ASSERT_TRUE(confirmed.returned) << confirmed.process.out;
    EXPECT_EQ(confirmed.result, 3);

    // exit closes the window with -1; commands after the plug-in returned don't run.
    EmulatorRun closed = runEmulator(root, "key exit\ndump\n");
    EXPECT_EQ(closed.process.exitCode, 0) << closed.process.err;
    ASSERT_TRUE(closed.returned) << closed.process.out;
    EXPECT_EQ(closed.result, -1);
    EXPECT_TRUE(closed.dumps.empty()) << closed.process.out;
}

}  // namespace
