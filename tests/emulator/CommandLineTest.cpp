// The emulator's command line and script lines, parsed in process, and what the
// program does with them: the receiver root, the settings and the exit codes.

#include <gtest/gtest.h>

#include <sstream>

#include "EmulatorOptions.h"
#include "EmulatorRun.h"
#include "ScriptReader.h"

namespace {

// What the options say, or "error: " and why not.
std::string parsed(std::vector<std::string> args) {
    args.insert(args.begin(), "receiver-emu");
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    EmulatorOptions options;
    std::string error;
    if (!options.parse(static_cast<int>(argv.size()), argv.data(), error)) return "error: " + error;
    std::string said = "root=" + options.root + (options.headless ? " headless" : "") +
                       (options.help ? " help" : "") + " script=" + options.scriptFile;
    for (const auto& [key, value] : options.settings) said += " " + key + "=" + value;
    return said + " " + options.plugin;
}

TEST(EmulatorOptions, CommandLines) {
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
    for (const auto& [args, expected] : cases) EXPECT_EQ(parsed(args), expected);
}

TEST(ScriptReader, GoodLinesAreReadAndBadOnesReportedWithTheirNumber) {
    std::istringstream script(
        "# a comment\n\nbogus\nwait soon\nwait 3600001\nkey purple\ndump now\nshot\n"
        "key ok now\n"
        "   dump   # the good lines\nwait 3600000\nkey red\nshot x.png\n");
    ScriptReader reader(&script);
    std::vector<ScriptCommand> read;
    testing::internal::CaptureStderr();
    for (ScriptCommand command; reader.next(command);) read.push_back(command);
    const std::string errors = testing::internal::GetCapturedStderr();
    for (int line = 3; line <= 9; ++line)
        EXPECT_NE(errors.find("line " + std::to_string(line) + ":"), std::string::npos) << errors;
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[0].op, ScriptCommand::Op::dump);
    EXPECT_EQ(read[0].line, 10);
    EXPECT_EQ(read[1].op, ScriptCommand::Op::wait);
    EXPECT_EQ(read[1].milliseconds, 3600000);
    EXPECT_EQ(read[2].key, eKey::red);
    EXPECT_EQ(read[3].file, "x.png");
    EXPECT_EQ(read[3].line, 13);
}

TEST(EmulatorCommandLine, SettingsAndScriptFileWorkInAFreshRoot) {
    TempRoot scratch;
    scratch.writeFile("/script.txt", "dump\n");
    const std::string fresh = scratch.real("/new/root/");
    // The script file is read instead of standard input, which would close at once.
    EmulatorRun run = parseRun(
        runProcess({emulatorPath(), "--root", fresh, "--set", "/emutest/greeting=Hello there",
                    "--script", scratch.real("/script.txt"), "--headless", testPluginPath()},
                   "key exit\n"));
    ASSERT_EQ(run.dumps.size(), 1u) << run.process.err;
    EXPECT_EQ(linesWith(run.dumps[0], "eLabel \"status\" \"Greeting: Hello there\"").size(), 1u)
        << run.dumps[0];
    EXPECT_EQ(scratch.readFile("/new/root/tmp/emutest.txt"), "Greeting: Hello there\n");
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

TEST(EmulatorCommandLine, ErrorsExitWithTwoAndSayWhy) {
    TempRoot root;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{root.real("/absent.so")}, "cannot load plug-in"},
        {{std::string(MATCHRAY_LIB_DIR) + "/noentryplugin.so"}, "has no plugin_exec"},
        {{"--bogus", testPluginPath()}, "usage: receiver-emu"},
        {{"--script", root.real("/absent.txt"), testPluginPath()}, "cannot read script"},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::string> argv = {emulatorPath(), "--root", root.path(), "--headless"};
        argv.insert(argv.end(), args.begin(), args.end());
        ProcessResult result = runProcess(argv, "key exit\n");
        EXPECT_EQ(result.exitCode, 2) << message;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find("plugin_exec returned"), std::string::npos) << result.out;
    }
}

}  // namespace
