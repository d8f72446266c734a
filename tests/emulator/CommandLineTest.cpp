// The emulator's options: the receiver root, configuration settings and errors.

#include <gtest/gtest.h>

#include <filesystem>

#include "EmulatorRun.h"

namespace fs = std::filesystem;

namespace {

TEST(EmulatorCommandLine, PluginFilesResolveUnderTheRoot) {
    TempRoot root;
    // Without flags in this root, no entry shows a picture.
    EmulatorRun bare = runEmulator(root, "dump\n");
    ASSERT_EQ(bare.dumps.size(), 1u) << bare.process.err;
    EXPECT_TRUE(linesWith(bare.dumps[0], "[picture").empty()) << bare.dumps[0];
    EXPECT_EQ(root.readFile("/tmp/emutest.txt"), "No greeting\n");

    installFlags(root, {"it"});
    EmulatorRun flagged = runEmulator(root, "dump\n");
    ASSERT_EQ(flagged.dumps.size(), 1u) << flagged.process.err;
    const auto pictures = linesWith(flagged.dumps[0], "[picture");
    ASSERT_EQ(pictures.size(), 1u) << flagged.dumps[0];
    EXPECT_NE(pictures[0].find("Italy | [picture /var/tuxbox/config/pitchside/countries/it.png]"),
              std::string::npos)
        << pictures[0];
}

TEST(EmulatorCommandLine, SettingsReachTheConfigurationStore) {
    TempRoot root;
    EmulatorRun run = runEmulator(
        root, "dump\n", {"--set", "/emutest/greeting=Hello there", "--set", "/other/key=1"});
    ASSERT_EQ(run.dumps.size(), 1u) << run.process.err;
    EXPECT_EQ(linesWith(run.dumps[0], "eLabel \"status\" \"Greeting: Hello there\"").size(), 1u)
        << run.dumps[0];
    EXPECT_EQ(root.readFile("/tmp/emutest.txt"), "Greeting: Hello there\n");
    const std::string config = root.readFile("/var/tuxbox/config/host/config");
    EXPECT_NE(config.find("/emutest/greeting=Hello there\n"), std::string::npos) << config;
    EXPECT_NE(config.find("/other/key=1\n"), std::string::npos) << config;
}

TEST(EmulatorCommandLine, DefaultRootIsInTheCurrentDirectory) {
    TempRoot scratch;
    std::string command = "cd '" + scratch.path() + "' && exec";
    for (const std::string& word : commandFor({emulatorPath(), "--headless", testPluginPath()})) {
        command += " '" + word + "'";
    }
    EmulatorRun run = parseRun(runProcess({"/bin/sh", "-c", command}, "key exit\n"));
    EXPECT_EQ(run.process.exitCode, 0) << run.process.err;
    EXPECT_TRUE(run.returned);
    EXPECT_TRUE(scratch.exists("/receiver-root/tmp/emutest.txt"));
    EXPECT_TRUE(scratch.exists("/receiver-root/var/tuxbox/config/host"));
}

TEST(EmulatorCommandLine, RootIsCreatedWhenMissing) {
    TempRoot scratch;
    const std::string fresh = scratch.real("/new/root/");
    EmulatorRun run = parseRun(runProcess(
        {emulatorPath(), "--root", fresh, "--headless", testPluginPath()}, "key exit\n"));
    EXPECT_EQ(run.process.exitCode, 0) << run.process.err;
    EXPECT_TRUE(scratch.exists("/new/root/tmp/emutest.txt"));
}

TEST(EmulatorCommandLine, ErrorsExitWithTwoAndSayWhy) {
    TempRoot root;
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string noEntry = std::string(MATCHRAY_LIB_DIR) + "/noentryplugin.so";
    const Case cases[] = {
        {{root.real("/absent.so")}, "cannot load plug-in"},
        {{noEntry}, "has no plugin_exec"},
        {{}, "no plug-in given"},
        {{"--bogus", testPluginPath()}, "unknown option --bogus"},
        {{"--set", "novalue", testPluginPath()}, "KEY=VALUE"},
        {{"--script", root.real("/absent.txt"), testPluginPath()}, "cannot read script"},
        {{testPluginPath(), testPluginPath()}, "only one plug-in"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {emulatorPath(), "--root", root.path(), "--headless"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        ProcessResult result = runProcess(argv, "key exit\n");
        EXPECT_EQ(result.exitCode, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find("plugin_exec returned"), std::string::npos) << result.out;
    }
}

TEST(EmulatorCommandLine, ScriptFileIsReadInsteadOfStandardInput) {
    TempRoot root;
    root.writeFile("/script.txt", "key down\nkey down\nkey ok\nkey ok\n");
    EmulatorRun run = runEmulator(root, "key exit\n", {"--script", root.real("/script.txt")});
    EXPECT_TRUE(run.returned) << run.process.err;
    EXPECT_EQ(run.result, 3);
}

}  // namespace
