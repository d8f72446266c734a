// The emulator's command line and script lines, parsed in process, and what the
// program does with them: the receiver root, the settings and the exit codes.

#include <gtest/gtest.h>

#include "EmulatorOptions.h"
#include "EmulatorRun.h"
#include "ScriptReader.h"

namespace {

const std::string testPlugin = MATCHRAY_LIB_DIR "/testplugin.so";

TEST(EmulatorCommandLine, OptionsAreReadOrRefusedWithTheReason) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--help"}, "root=receiver-root help script= "},
        {{"--set", "/a=b=c", "--root", "r", "--headless", "--set", "/k=", "--script", "s", "p.so"},
         "root=r headless script=s /a=b=c /k= p.so"},
        {{}, "error: no plug-in given"},
        {{"--bogus", "p.so"}, "error: unknown option --bogus"},
        {{"--set", "novalue", "p.so"}, "error: --set wants KEY=VALUE, got \"novalue\""},
        {{"--set", "=value", "p.so"}, "error: --set wants KEY=VALUE, got \"=value\""},
        {{"--root", "", "p.so"}, "error: --root needs a directory"},
        {{"p.so", "--script"}, "error: --script needs a value"},
        {{"p.so", "q.so"}, "error: only one plug-in can be given, got \"p.so\" and \"q.so\""},
    };
    for (const auto& [args, expected] : cases) {
        std::vector<const char*> argv = {"receiver-emu"};
        for (const std::string& arg : args) argv.push_back(arg.c_str());
        EmulatorOptions options;
        std::string said;
        if (options.parse(static_cast<int>(argv.size()), argv.data(), said)) {
            said = "root=" + options.root + (options.headless ? " headless" : "") +
                   (options.help ? " help" : "") + " script=" + options.scriptFile;
            for (const auto& [key, value] : options.settings) said += " " + key + "=" + value;
            said += " " + options.plugin;
        } else {
            said = "error: " + said;
        }
        EXPECT_EQ(said, expected);
    }
}

TEST(EmulatorScript, LinesAreReadOrRefusedWithTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"   dump   # a comment", "dump 0 none "},
        {"wait 3600000", "wait 3600000 none "},
        {"key red", "key 0 red "},
        {"shot x.png", "shot 0 none x.png"},
        {"# only a comment", ""},
        {"bogus", "error: unknown command \"bogus\""},
        {"wait soon", "error: wait wants milliseconds from 0 to 3600000, got \"soon\""},
        {"wait 3600001", "error: wait wants milliseconds from 0 to 3600000, got \"3600001\""},
        {"wait 99999999999",
         "error: wait wants milliseconds from 0 to 3600000, got \"99999999999\""},
        {"key purple", "error: unknown key \"purple\""},
        {"dump now", "error: dump takes no argument"},
        {"shot", "error: shot wants a file name"},
        {"key ok now", "error: too many arguments to key"},
    };
    const char* ops[] = {"wait", "key", "dump", "shot"};
    for (const auto& [line, expected] : cases) {
        ScriptCommand command;
        std::string error, said;
        if (ScriptReader::parse(line, command, error))
            said = std::string(ops[static_cast<int>(command.op)]) + " " +
                   std::to_string(command.milliseconds) + " " + keyName(command.key) + " " +
                   command.file;
        else if (!error.empty())
            said = "error: " + error;
        EXPECT_EQ(said, expected) << line;
    }
}

TEST(EmulatorCommandLine, DefaultRootSettingsAndScriptFile) {
    TempRoot scratch;
    scratch.writeFile("/script.txt", "dump\n");
    // The root is made in the current directory; the script file is read
    // instead of standard input, which would close the window at once.
    std::string command = "cd '" + scratch.path() + "' && exec";
    for (const std::string& word :
         commandFor({emulatorPath(), "--set", "/emutest/greeting=Hello there", "--script",
                     scratch.real("/script.txt"), "--headless", testPlugin}))
        command += " '" + word + "'";
    EmulatorRun run(runProcess({"/bin/sh", "-c", command}, "key exit\n"));
    ASSERT_EQ(run.dumps().size(), 1u) << run.transcript();
    EXPECT_EQ(linesWith(run.dumps()[0], "eWindow \"\" \"Greeting: Hello there\"").size(), 1u);
    EXPECT_TRUE(scratch.exists("/receiver-root/var/tuxbox/config/host"));
}

TEST(EmulatorCommandLine, ErrorsExitWithTwoAndSayWhy) {
    TempRoot root;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{root.real("/absent.so")}, "cannot load plug-in"},
        {{MATCHRAY_LIB_DIR "/noentryplugin.so"}, "has no plugin_exec"},
        {{"--bogus", testPlugin}, "usage: receiver-emu"},
        {{"--script", root.real("/absent.txt"), testPlugin}, "cannot read script"},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::string> argv = {emulatorPath(), "--root", root.path(), "--headless"};
        argv.insert(argv.end(), args.begin(), args.end());
        EmulatorRun run(runProcess(argv, "key exit\n"));
        EXPECT_EQ(run.process().exitCode, 2) << message;
        EXPECT_NE(run.process().err.find(message), std::string::npos) << run.transcript();
        EXPECT_FALSE(run.returned()) << run.transcript();
    }
}

}  // namespace
