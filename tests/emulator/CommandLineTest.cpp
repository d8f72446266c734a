// The emulator's command line and script lines, parsed in process, and what the
// program does with them: the receiver root, the settings and the exit codes.

#include <gtest/gtest.h>

#include "EmulatorOptions.h"
#include "EmulatorRun.h"
#include "ScriptReader.h"
#include "Snapshot.h"

namespace {

const std::string testPlugin = MATCHRAY_LIB_DIR "/testplugin.so";

TEST(EmulatorCommandLine, ReadsAsTheSnapshotShows) {
    const std::vector<std::string> commandLines[] = {
        {"--help"},
        {"--set", "/a=b=c", "--root", "r", "--headless", "--set", "/k=", "--script", "s", "p.so"},
        {},
        {"--bogus", "p.so"},
        {"--set", "novalue", "p.so"},
        {"--set", "=value", "p.so"},
        {"--root", "", "p.so"},
        {"p.so", "--script"},
        {"p.so", "q.so"},
    };
    std::string said;
    for (const auto& args : commandLines) {
        std::vector<const char*> argv = {"receiver-emu"};
        for (const std::string& arg : args) {
            argv.push_back(arg.c_str());
            said += arg + " ";
        }
        EmulatorOptions options;
        std::string error;
        said += "-> ";
        if (!options.parse(static_cast<int>(argv.size()), argv.data(), error)) {
            said += "error: " + error + "\n";
            continue;
        }
        said += "root=" + options.root + (options.headless ? " headless" : "") +
                (options.help ? " help" : "") + " script=" + options.scriptFile;
        for (const auto& [key, value] : options.settings) said += " " + key + "=" + value;
        said += " " + options.plugin + "\n";
    }
    expectSnapshot("emulator-options", said);
}

TEST(EmulatorScript, LinesReadAsTheSnapshotShows) {
    const char* ops[] = {"wait", "key", "dump", "shot"};
    std::string said;
    for (const char* line : {"   dump   # a comment", "wait 3600000", "key red", "shot x.png",
                             "# only a comment", "bogus", "wait soon", "wait 3600001",
                             "wait 99999999999", "key purple", "dump now", "shot", "key ok now"}) {
        ScriptCommand command;
        std::string error;
        said += std::string(line) + " -> ";
        if (ScriptReader::parse(line, command, error))
            said += std::string(ops[static_cast<int>(command.op)]) + " " +
                    std::to_string(command.milliseconds) + " " + keyName(command.key) + " " +
                    command.file;
        said += error.empty() ? "\n" : "error: " + error + "\n";
    }
    expectSnapshot("emulator-script", said);
}

// Runs the emulator headless in folder with args, "key exit" on standard input.
EmulatorRun runIn(const TempRoot& folder, const std::vector<std::string>& args) {
    std::string command = "cd '" + folder.path() + "' && exec";
    std::vector<std::string> argv = {emulatorPath(), "--headless"};
    argv.insert(argv.end(), args.begin(), args.end());
    for (const std::string& word : commandFor(argv)) command += " '" + word + "'";
    return EmulatorRun(runProcess({"/bin/sh", "-c", command}, "key exit\n"));
}

TEST(EmulatorProgram, EndsAsEachCaseSays) {
    TempRoot scratch;
    scratch.writeFile("/s", "dump\n");
    scratch.writeFile("/bad", "dump\nbogus\n");
    scratch.writeFile("/shot", "shot " + scratch.real("/no/dir/c.png") + "\n");
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        // The script file is read instead of standard input, which would close the window at once.
        {{"--set", "/emutest/greeting=Hi", "--script", scratch.real("/s"), testPlugin},
         0,
         "Greeting: Hi"},
        {{"--script", scratch.real("/bad"), testPlugin}, 0, "script line 2: unknown command"},
        {{"--script", scratch.real("/shot"), testPlugin}, 0, "script line 1: cannot write"},
        {{scratch.real("/absent.so")}, 2, "cannot load plug-in"},
        {{MATCHRAY_LIB_DIR "/noentryplugin.so"}, 2, "has no plugin_exec"},
        {{"--bogus", testPlugin}, 2, "usage: receiver-emu"},
        {{"--script", scratch.real("/absent.txt"), testPlugin}, 2, "cannot read script"},
        {{"--root", "/", testPlugin}, 2, "is the PC's own /tmp; choose another --root"},
    };
    for (const auto& [args, exitCode, message] : cases) {
        const EmulatorRun run = runIn(scratch, args);
        EXPECT_EQ(run.process().exitCode, exitCode) << message;
        EXPECT_NE((run.process().out + run.process().err).find(message), std::string::npos)
            << run.transcript();
        // The script ended with the window open: the emulator closed it with exit.
        EXPECT_EQ(run.returned(), exitCode ? std::nullopt : std::optional<int>(-1));
    }
}

TEST(EmulatorProgram, MakesItsDefaultRootInTheCurrentFolder) {
    TempRoot scratch;
    EXPECT_EQ(runIn(scratch, {testPlugin}).returned(), -1);
    EXPECT_TRUE(scratch.exists("/receiver-root/var/tuxbox/config/host"));
}

}  // namespace
