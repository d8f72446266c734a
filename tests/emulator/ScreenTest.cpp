// The headless emulator's dump and screenshots, and its window mode on a
// virtual X display, with the test plug-in.

#include <gtest/gtest.h>

#include <memory>

#include "ChildProcess.h"
#include "EmulatorRun.h"
#include "Snapshot.h"
#include "gPixmap.h"
#include "loadPNG.h"

namespace {

const std::string testPlugin = MATCHRAY_LIB_DIR "/testplugin.so";

EmulatorRun runHeadless(const TempRoot& root, const std::string& script) {
    EmulatorSettings settings;
    settings.plugin = testPlugin;
    settings.connectTimeout = settings.stallTimeout = 0;
    return EmulatorRun(root, script, settings);
}

// How many pixels of a and b differ; -1 when their sizes do.
int differing(const gPixmap& a, const gPixmap& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) != b.pixel(x, y);
    return a.size() == b.size() ? count : -1;
}

TEST(EmulatorScreen, DumpFollowsKeysAndTheWorkerThread) {
    TempRoot root;
    installFlags(root, {"de", "fr", "it", "es", "br"});
    // Start, the green button, scrolling past the page's end to the entry
    // without a flag, its message box, the box closed, then confirming Brazil.
    EmulatorRun run =
        runHeadless(root,
                    "wait 1000\ndump\nkey green\nkey down\nkey down\nkey down\nkey down\nkey down\n"
                    "key down\ndump\nkey ok\ndump\nkey exit\ndump\nkey up\nkey ok\nkey ok\ndump\n");
    EXPECT_EQ(run.returned(), 5) << run.transcript();
    std::string dumps;
    for (const std::string& dump : run.dumps()) dumps += dump + "--\n";
    expectSnapshot("emulator-dump", dumps);
}

TEST(EmulatorScreen, ShotsShowTheScreenAndABadFileIsReported) {
    TempRoot root;
    EmulatorRun run = runHeadless(root, "wait 300\nshot " + root.real("/a.png") +
                                            "\nkey red\nshot " + root.real("/b.png") + "\nshot " +
                                            root.real("/no/dir/c.png") + "\nbogus\ndump\n");
    EXPECT_EQ(run.process().exitCode, 0) << run.transcript();
    // Bad lines are reported with their number and skipped.
    for (const char* error : {"script line 5: cannot write", "script line 6: unknown command"})
        EXPECT_NE(run.process().err.find(error), std::string::npos) << run.transcript();
    EXPECT_EQ(run.dumps().size(), 1u);
    // The script ended with the window open: the emulator closed it with exit.
    EXPECT_EQ(run.returned(), -1);
    std::unique_ptr<gPixmap> before(loadPNG("/a.png")), after(loadPNG("/b.png"));
    ASSERT_TRUE(before && after) << run.transcript();
    EXPECT_EQ(before->size(), eSize(720, 576));
    EXPECT_GT(differing(*before, *after), 100);  // the red button and the status line
}

TEST(EmulatorScreen, WindowModeDrawsWhatHeadlessDraws) {
#ifndef MATCHRAY_EMULATOR_WINDOW
    GTEST_SKIP() << "receiver-emu was built without SDL2";
#endif
    // Xvfb picks a free display itself and prints its number once it is up.
    ChildProcess xvfb(
        {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    const std::string display = xvfb.readLine(10000);
    if (display.empty()) GTEST_SKIP() << "no Xvfb display came up";
    TempRoot root;
    root.writeFile("/script", "wait 1000\nshot " + root.real("/window.png") + "\nkey exit\n");
    // SDL never frees its D-Bus state, so a sanitizer build's leak check would
    // fail this run; the headless runs check the emulator's own leaks.
    EmulatorRun window(runProcess(
        {emulatorPath(), "--root", root.path(), "--script", root.real("/script"), testPlugin}, "",
        60000, {"DISPLAY=:" + display, "ASAN_OPTIONS=detect_leaks=0"}));
    EXPECT_EQ(window.process().err.find("running headless"), std::string::npos)
        << window.transcript();
    EXPECT_EQ(window.returned(), -1) << window.transcript();
    EmulatorRun headless =
        runHeadless(root, "wait 1000\nshot " + root.real("/headless.png") + "\n");
    std::unique_ptr<gPixmap> shown(loadPNG("/window.png")), drawn(loadPNG("/headless.png"));
    ASSERT_TRUE(shown && drawn) << window.transcript() << headless.transcript();
    EXPECT_EQ(differing(*shown, *drawn), 0);
}

}  // namespace
