// The emulator's window mode on a virtual X display.

#include <gtest/gtest.h>

#include "EmulatorRun.h"
#include "ScreenPicture.h"
#include "VirtualDisplay.h"

namespace {

TEST(EmulatorWindow, OpensAndDrawsUnderXvfb) {
#ifndef MATCHRAY_EMULATOR_WINDOW
    GTEST_SKIP() << "receiver-emu was built without SDL2";
#endif
    if (VirtualDisplay::program().empty()) GTEST_SKIP() << "Xvfb is not installed";
    VirtualDisplay display;
    ASSERT_TRUE(display.start()) << "no Xvfb display came up";

    TempRoot root;
    const std::string shot = root.real("/window.png");
    root.writeFile("/script.txt", "wait 500\nshot " + shot + "\nkey exit\n");
    // SDL never frees its D-Bus library state, so a sanitizer build's leak check
    // would fail this run; the headless tests check the emulator's own leaks.
    ProcessResult process =
        runProcess({emulatorPath(), "--root", root.path(), "--script", root.real("/script.txt"),
                    testPluginPath()},
                   "", 60000, {"DISPLAY=" + display.name(), "ASAN_OPTIONS=detect_leaks=0"});
    EmulatorRun run = parseRun(process);
    ASSERT_EQ(run.process.exitCode, 0) << run.process.err;
    // A window that failed to open would have fallen back to headless mode.
    EXPECT_EQ(run.process.err.find("running headless"), std::string::npos) << run.process.err;
    ASSERT_TRUE(run.returned) << run.process.out;
    EXPECT_EQ(run.result, -1);

    auto picture = loadShot(shot);
    ASSERT_TRUE(picture) << run.process.err;
    EXPECT_EQ(picture->width(), 720);
    EXPECT_EQ(picture->height(), 576);
    EXPECT_GT(pixelsOffBackground(*picture, titleArea()), 50);
    EXPECT_GT(pixelsOffBackground(*picture, statusArea()), 50);
}

}  // namespace
