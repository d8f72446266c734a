// The emulator's dump and screenshots with the test plug-in, headless and in a
// window on a virtual X display.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "ChildProcess.h"
#include "EmulatorRun.h"
#include "Snapshot.h"
#include "TestFiles.h"
#include "gPixmap.h"
#include "loadPNG.h"

namespace {

// The shot against golden/scene.png, 1/255 per channel allowed (32-bit builds' glyphs may
// differ so). MATCHRAY_UPDATE_GOLDEN=1 renews it and the dump: review them before committing.
TEST(EmulatorScreen, DumpAndShotFollowKeysAndTheWorkerThreadHeadlessAndInAWindow) {
    const std::string plugin = MATCHRAY_LIB_DIR "/testplugin.so";
    const std::string reference = MATCHRAY_SOURCE_DIR "/tests/emulator/golden/scene.png";
    TempRoot root;
    installFlags(root, {"de", "fr", "it", "es", "br"});
    // Start, green, down past the page to the entry without a flag, its message box (shot),
    // closed, then confirming Brazil. Bad lines are reported with their number and skipped.
    auto script = [&](const std::string& shot) {
        return "wait 1000\ndump\nkey green\nshot " + root.real("/no/dir/c.png") +
               "\nbogus\nkey down\nkey down\nkey down\nkey down\nkey down\nkey down\ndump\n"
               "key ok\ndump\nshot " +
               root.real(shot) + "\nkey exit\ndump\nkey up\nkey ok\nkey ok\ndump\n";
    };
    EmulatorSettings settings;
    settings.plugin = plugin;
    settings.connectTimeout = settings.stallTimeout = 0;
    EmulatorRun run(root, script("/scene.png"), settings);
    EXPECT_EQ(run.returned(), 5) << run.transcript();
    std::string dumps;
    for (const std::string& dump : run.dumps()) dumps += dump + "--\n";
    expectSnapshot("emulator-dump", dumps);
    for (const char* error : {"script line 4: cannot write", "script line 5: unknown command"})
        EXPECT_NE(run.process().err.find(error), std::string::npos) << run.transcript();
    if (std::getenv("MATCHRAY_UPDATE_GOLDEN"))
        std::filesystem::copy_file(root.real("/scene.png"), reference,
                                   std::filesystem::copy_options::overwrite_existing);
    // loadPNG takes receiver paths: the reference goes into the root first.
    root.writeFile("/golden.png", readBinary(reference));
    std::unique_ptr<gPixmap> shot(loadPNG(root.real("/scene.png").c_str())),
        golden(loadPNG(root.real("/golden.png").c_str()));
    ASSERT_TRUE(shot && golden && shot->size() == golden->size()) << run.transcript();
    int differing = 0;
    for (int y = 0; y < shot->height(); ++y)
        for (int x = 0; x < shot->width(); ++x)
            for (int shift = 0; shift < 32; shift += 8)
                differing += std::abs(int(shot->pixel(x, y) >> shift & 0xff) -
                                      int(golden->pixel(x, y) >> shift & 0xff)) > 1;
    EXPECT_EQ(differing, 0) << "see scene_err.png";
    if (differing) savePNG("scene_err.png", *shot);
#ifdef MATCHRAY_EMULATOR_WINDOW
    // Xvfb picks a free display itself and prints its number once it is up.
    ChildProcess xvfb(
        {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    const std::string display = xvfb.readLine(10000);
    if (display.empty()) GTEST_SKIP() << "no Xvfb display came up";
    root.writeFile("/script", script("/window.png"));
    // SDL never frees its D-Bus state: leaks are checked in the headless run.
    EmulatorRun window(runProcess(
        {emulatorPath(), "--root", root.path(), "--script", root.real("/script"), plugin}, "",
        60000, {"DISPLAY=:" + display, "ASAN_OPTIONS=detect_leaks=0"}));
    EXPECT_EQ(window.process().err.find("running headless"), std::string::npos)
        << window.transcript();
    EXPECT_EQ(window.returned(), 5) << window.transcript();
    EXPECT_EQ(readBinary(root.real("/window.png")), readBinary(root.real("/scene.png")));
#endif
}

}  // namespace
