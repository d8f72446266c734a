// The headless emulator's dump and screenshots, and its window mode on a
// virtual X display, with the test plug-in.

#include <gtest/gtest.h>

#include <memory>

#include "ChildProcess.h"
#include "EmulatorRun.h"
#include "Snapshot.h"
#include "eWindow.h"
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

// How many pixels of area differ from its top-left one (glyphs on a plain
// ground), or from the same pixel of other.
int differing(const gPixmap& shot, const eRect& area, const gPixmap* other = nullptr) {
    int count = 0;
    for (int y = area.top(); y < area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x)
            count +=
                shot.pixel(x, y) !=
                (other ? other : &shot)->pixel(other ? x : area.left(), other ? y : area.top());
    return count;
}

TEST(EmulatorScreen, DumpFollowsKeysAndTheWorkerThread) {
    TempRoot root;
    installFlags(root, {"de", "fr", "it", "es", "br"});
    // Start, the green button, scrolling past the page's end to the entry
    // without a flag, its message box, the box closed, then confirming Brazil.
    EmulatorRun run =
        runHeadless(root,
                    "wait 300\ndump\nkey green\nkey down\nkey down\nkey down\nkey down\nkey down\n"
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
                                            root.real("/no/dir/c.png") + "\ndump\n");
    EXPECT_EQ(run.process().exitCode, 0) << run.transcript();
    EXPECT_NE(run.process().err.find("script line 5:"), std::string::npos) << run.transcript();
    EXPECT_EQ(run.dumps().size(), 1u);
    // The script ended with the window open: the emulator closed it with exit.
    EXPECT_EQ(run.returned(), -1);
    std::unique_ptr<gPixmap> before(loadPNG("/a.png")), after(loadPNG("/b.png"));
    ASSERT_TRUE(before && after) << run.transcript();
    ASSERT_EQ(before->size(), eSize(720, 576));
    EXPECT_GT(differing(*before, eRect(60, 60 - eWindow::titleHeight, 600, 20)), 50);  // title
    EXPECT_GT(differing(*before, eRect(70, 330, 580, 30)), 50);  // status line
    EXPECT_GT(differing(*before, eRect(0, 0, 720, 576), after.get()), 100);
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
    root.writeFile("/script", "wait 500\nshot " + root.real("/window.png") + "\nkey exit\n");
    // SDL never frees its D-Bus state, so a sanitizer build's leak check would
    // fail this run; the headless runs check the emulator's own leaks.
    EmulatorRun window(runProcess(
        {emulatorPath(), "--root", root.path(), "--script", root.real("/script"), testPlugin}, "",
        60000, {"DISPLAY=:" + display, "ASAN_OPTIONS=detect_leaks=0"}));
    EXPECT_EQ(window.process().err.find("running headless"), std::string::npos)
        << window.transcript();
    EXPECT_EQ(window.returned(), -1) << window.transcript();
    EmulatorRun headless = runHeadless(root, "wait 500\nshot " + root.real("/headless.png") + "\n");
    std::unique_ptr<gPixmap> shown(loadPNG("/window.png")), drawn(loadPNG("/headless.png"));
    ASSERT_TRUE(shown && drawn) << window.transcript() << headless.transcript();
    ASSERT_EQ(shown->size(), drawn->size());
    EXPECT_EQ(differing(*shown, eRect(ePoint(), drawn->size()), drawn.get()), 0);
}

}  // namespace
