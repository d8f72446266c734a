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

const std::string plugin = MATCHRAY_LIB_DIR "/testplugin.so";
const std::string reference = MATCHRAY_SOURCE_DIR "/tests/emulator/golden/scene.png";

// Start, the worker's status line, green, down past the page to the entry without a flag, its
// message box (shot), closed, then confirming Brazil, which returns 5.
std::string script(const TempRoot& root, const std::string& shot) {
    return "wait 300\ndump\nkey green\nkey down\nkey down\nkey down\nkey down\nkey down\n"
           "key down\ndump\nkey ok\ndump\nshot " +
           root.real(shot) + "\nkey exit\ndump\nkey up\nkey ok\nkey ok\ndump\n";
}

// Fails unless the shot at the root's shot path is the golden scene, 1/255 per channel allowed
// (32-bit builds' glyphs may differ so); on a mismatch it is kept as NAME_err.png.
void expectGoldenScene(const TempRoot& root, const std::string& shot) {
    // loadPNG takes receiver paths: the reference goes into the root first.
    root.writeFile("/golden.png", readBinary(reference));
    std::unique_ptr<gPixmap> drawn(loadPNG(root.real(shot).c_str())),
        golden(loadPNG(root.real("/golden.png").c_str()));
    ASSERT_TRUE(drawn && golden && drawn->size() == golden->size()) << shot;
    int differing = 0;
    for (int y = 0; y < drawn->height(); ++y)
        for (int x = 0; x < drawn->width(); ++x)
            for (int shift = 0; shift < 32; shift += 8)
                differing += std::abs(int(drawn->pixel(x, y) >> shift & 0xff) -
                                      int(golden->pixel(x, y) >> shift & 0xff)) > 1;
    const std::string kept = std::filesystem::path(shot).stem().string() + "_err.png";
    EXPECT_EQ(differing, 0) << "see " << kept;
    if (differing) savePNG(kept, *drawn);
}

// MATCHRAY_UPDATE_GOLDEN=1 renews the dumps and the shot: review them before committing.
TEST(EmulatorScreen, HeadlessRunMatchesItsReferenceScreens) {
    TempRoot root;
    installFlags(root, {"de", "fr", "it", "es", "br"});
    EmulatorSettings settings;
    settings.plugin = plugin;
    settings.connectTimeout = settings.stallTimeout = 0;
    EmulatorRun run(root, script(root, "/scene.png"), settings);
    EXPECT_EQ(run.returned(), 5) << run.transcript();
    std::string dumps;
    for (const std::string& dump : run.dumps()) dumps += dump + "--\n";
    expectSnapshot("emulator-dump", dumps);
    if (std::getenv("MATCHRAY_UPDATE_GOLDEN"))
        std::filesystem::copy_file(root.real("/scene.png"), reference,
                                   std::filesystem::copy_options::overwrite_existing);
    expectGoldenScene(root, "/scene.png");
}

TEST(EmulatorScreen, WindowShowsTheGoldenScene) {
#ifndef MATCHRAY_EMULATOR_WINDOW
    GTEST_SKIP() << "built without the SDL2 window";
#endif
    // Xvfb picks a free display itself and prints its number once it is up.
    ChildProcess xvfb(
        {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    const std::string display = xvfb.readLine(10000);
    if (display.empty()) GTEST_SKIP() << "no Xvfb display came up";
    TempRoot root;
    installFlags(root, {"de", "fr", "it", "es", "br"});
    root.writeFile("/script", script(root, "/window.png"));
    // SDL never frees its D-Bus state: leaks are checked in the headless run.
    EmulatorRun window(runProcess(
        {emulatorPath(), "--root", root.path(), "--script", root.real("/script"), plugin}, "",
        60000, {"DISPLAY=:" + display, "ASAN_OPTIONS=detect_leaks=0"}));
    EXPECT_EQ(window.process().err.find("running headless"), std::string::npos)
        << window.transcript();
    EXPECT_EQ(window.returned(), 5) << window.transcript();
    expectGoldenScene(root, "/window.png");
}

}  // namespace
