// The headless emulator's dump and screenshots, and its window mode on a
// virtual X display, with the test plug-in.

#include <gtest/gtest.h>

#include <memory>

#include "ChildProcess.h"
#include "EmulatorRun.h"
#include "EntryRecorder.h"
#include "Snapshot.h"
#include "gPixmap.h"
#include "loadPNG.h"

namespace {

EmulatorRun runHeadless(const TempRoot& root, const std::string& script) {
    EmulatorSettings settings;
    settings.plugin = MATCHRAY_LIB_DIR "/testplugin.so";
    settings.connectTimeout = settings.stallTimeout = 0;
    return EmulatorRun(root, script, settings);
}

TEST(EmulatorScreen, DumpAndShotsFollowKeysAndTheWorkerThread) {
    TempRoot root;
    installFlags(root, {"de", "fr", "it", "es", "br"});
    // Start, the green button, scrolling past the page's end to the entry
    // without a flag, its message box, the box closed, then confirming Brazil.
    // Bad lines are reported with their number and skipped.
    EmulatorRun run = runHeadless(
        root, "wait 1000\ndump\nshot " + root.real("/a.png") + "\nkey green\nshot " +
                  root.real("/b.png") + "\nshot " + root.real("/no/dir/c.png") +
                  "\nbogus\nkey down\nkey down\nkey down\nkey down\n"
                  "key down\nkey down\ndump\nkey ok\ndump\nkey exit\ndump\nkey up\nkey ok\nkey "
                  "ok\ndump\n");
    EXPECT_EQ(run.returned(), 5) << run.transcript();
    std::string dumps;
    for (const std::string& dump : run.dumps()) dumps += dump + "--\n";
    expectSnapshot("emulator-dump", dumps);
    for (const char* error : {"script line 6: cannot write", "script line 7: unknown command"})
        EXPECT_NE(run.process().err.find(error), std::string::npos) << run.transcript();
    std::unique_ptr<gPixmap> before(loadPNG("/a.png"));
    ASSERT_TRUE(before) << run.transcript();
    EXPECT_EQ(before->size(), eSize(720, 576));
    EXPECT_NE(readBinary(root.real("/a.png")), readBinary(root.real("/b.png")));
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
    EmulatorRun window(runProcess({emulatorPath(), "--root", root.path(), "--script",
                                   root.real("/script"), MATCHRAY_LIB_DIR "/testplugin.so"},
                                  "", 60000,
                                  {"DISPLAY=:" + display, "ASAN_OPTIONS=detect_leaks=0"}));
    EXPECT_EQ(window.process().err.find("running headless"), std::string::npos)
        << window.transcript();
    // The script ended with the window open: the emulator closed it with exit.
    EXPECT_EQ(window.returned(), -1) << window.transcript();
    runHeadless(root, "wait 1000\nshot " + root.real("/headless.png") + "\n");
    const std::string shown = readBinary(root.real("/window.png"));
    EXPECT_FALSE(shown.empty()) << window.transcript();
    EXPECT_EQ(shown, readBinary(root.real("/headless.png")));
}

}  // namespace
