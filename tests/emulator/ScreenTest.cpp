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

EmulatorSettings testPlugin(std::vector<std::string> args = {}) {
    EmulatorSettings settings;
    settings.plugin = MATCHRAY_LIB_DIR "/testplugin.so";
    settings.connectTimeout = settings.stallTimeout = 0;
    settings.args = std::move(args);
    return settings;
}

// The pixels of area that differ from its top-left one: glyphs on a plain ground.
int ink(const gPixmap& shot, const eRect& area) {
    int count = 0;
    for (int y = area.top(); y < area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x)
            count += shot.pixel(x, y) != shot.pixel(area.left(), area.top());
    return count;
}

TEST(EmulatorScreen, DumpFollowsKeysAndTheWorkerThread) {
    TempRoot root;
    installFlags(root, {"de", "fr", "it", "es", "br"});
    // Start, the green button, scrolling past the page's end to the entry
    // without a flag, its message box, the box closed, then confirming Brazil.
    EmulatorRun run(root,
                    "wait 300\ndump\nkey green\nkey down\nkey down\nkey down\nkey down\nkey down\n"
                    "key down\ndump\nkey ok\ndump\nkey exit\ndump\nkey up\nkey ok\nkey ok\ndump\n",
                    testPlugin());
    EXPECT_EQ(run.returned(), 5) << run.transcript();
    std::string dumps;
    for (const std::string& dump : run.dumps()) dumps += dump + "--\n";
    expectSnapshot("emulator-dump", dumps);
}

TEST(EmulatorScreen, ShotsShowTheScreenAndABadFileIsReported) {
    TempRoot root;
    EmulatorRun run(root,
                    "wait 300\nshot " + root.real("/a.png") + "\nkey red\nshot " +
                        root.real("/b.png") + "\nshot " + root.real("/no/dir/c.png") + "\ndump\n",
                    testPlugin());
    EXPECT_EQ(run.process().exitCode, 0) << run.transcript();
    EXPECT_NE(run.process().err.find("script line 5:"), std::string::npos) << run.transcript();
    EXPECT_EQ(run.dumps().size(), 1u);
    // The script ended with the window open: the emulator closed it with exit.
    EXPECT_EQ(run.returned(), -1);
    std::unique_ptr<gPixmap> before(loadPNG("/a.png")), after(loadPNG("/b.png"));
    ASSERT_TRUE(before && after) << run.transcript();
    EXPECT_EQ(before->size(), eSize(720, 576));
    EXPECT_GT(ink(*before, eRect(60, 60 - eWindow::titleHeight, 600, eWindow::titleHeight)), 50);
    EXPECT_GT(ink(*before, eRect(70, 330, 580, 30)), 50);
    int changed = 0;
    for (int y = 0; y < 576; ++y)
        for (int x = 0; x < 720; ++x) changed += before->pixel(x, y) != after->pixel(x, y);
    EXPECT_GT(changed, 100);
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
    root.writeFile("/script.txt", "wait 500\nshot " + root.real("/window.png") + "\nkey exit\n");
    // SDL never frees its D-Bus state, so a sanitizer build's leak check would
    // fail this run; the headless runs check the emulator's own leaks.
    EmulatorRun window(runProcess({emulatorPath(), "--root", root.path(), "--script",
                                   root.real("/script.txt"), MATCHRAY_LIB_DIR "/testplugin.so"},
                                  "", 60000,
                                  {"DISPLAY=:" + display, "ASAN_OPTIONS=detect_leaks=0"}));
    EXPECT_EQ(window.process().err.find("running headless"), std::string::npos)
        << window.transcript();
    EXPECT_EQ(window.returned(), -1) << window.transcript();
    EmulatorRun headless(root, "wait 500\nshot " + root.real("/headless.png") + "\n", testPlugin());
    std::unique_ptr<gPixmap> shown(loadPNG("/window.png")), drawn(loadPNG("/headless.png"));
    ASSERT_TRUE(shown && drawn) << window.transcript() << headless.transcript();
    ASSERT_EQ(shown->size(), drawn->size());
    for (int y = 0; y < drawn->height(); ++y)
        for (int x = 0; x < drawn->width(); ++x)
            ASSERT_EQ(shown->pixel(x, y), drawn->pixel(x, y)) << x << "," << y;
}

}  // namespace
