// The headless emulator's screenshots.

#include <gtest/gtest.h>

#include "EmulatorRun.h"
#include "ScreenPicture.h"

namespace {

TEST(EmulatorShot, WritesTheScreenWithTextDrawn) {
    TempRoot root;
    const std::string before = root.real("/before.png");
    const std::string after = root.real("/after.png");
    EmulatorRun run = runEmulator(root, "shot " + before + "\nkey red\nshot " + after + "\n");
    ASSERT_EQ(run.process.exitCode, 0) << run.process.err;
    EXPECT_TRUE(run.process.err.empty()) << run.process.err;

    auto picture = loadShot(before);
    ASSERT_TRUE(picture) << "no readable " << before;
    EXPECT_EQ(picture->width(), 720);
    EXPECT_EQ(picture->height(), 576);
    // Title and status line hold glyph pixels, not just their background.
    EXPECT_GT(pixelsOffBackground(*picture, titleArea()), 50);
    EXPECT_GT(pixelsOffBackground(*picture, statusArea()), 50);

    // The red key changed the screen.
    auto changed = loadShot(after);
    ASSERT_TRUE(changed);
    int differing = 0;
    for (int y = 0; y < 576; ++y) {
        for (int x = 0; x < 720; ++x) differing += picture->pixel(x, y) != changed->pixel(x, y);
    }
    EXPECT_GT(differing, 100);
}

TEST(EmulatorShot, UnwritableFileIsReportedAndTheScriptGoesOn) {
    TempRoot root;
    EmulatorRun run = runEmulator(root, "shot " + root.real("/missing/dir/x.png") + "\ndump\n");
    EXPECT_EQ(run.process.exitCode, 0);
    EXPECT_NE(run.process.err.find("script line 1:"), std::string::npos) << run.process.err;
    EXPECT_EQ(run.dumps.size(), 1u);
}

}  // namespace
