// The emulator's script lines, parsed in process.

#include <gtest/gtest.h>

#include <sstream>

#include "ScriptReader.h"

namespace {

TEST(EmulatorScript, LinesAreReadOrRefusedWithTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"   dump   # a comment", "dump"},
        {"wait 3600000", "wait 3600000"},
        {"key red", "key red"},
        {"shot x.png", "shot x.png"},
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
        if (ScriptReader::parse(line, command, error)) {
            said = ops[static_cast<int>(command.op)];
            if (command.op == ScriptCommand::Op::wait)
                said += " " + std::to_string(command.milliseconds);
            if (command.op == ScriptCommand::Op::key)
                said += std::string(" ") + keyName(command.key);
            if (command.op == ScriptCommand::Op::shot) said += " " + command.file;
        } else if (!error.empty()) {
            said = "error: " + error;
        }
        EXPECT_EQ(said, expected) << line;
    }
}

TEST(EmulatorScript, BadLinesAreSkippedAndReportedWithTheirNumber) {
    std::istringstream script("# start\nbogus\nkey down\n");
    ScriptReader reader(&script);
    testing::internal::CaptureStderr();
    ScriptCommand command;
    ASSERT_TRUE(reader.next(command));
    EXPECT_EQ(command.key, eKey::down);
    EXPECT_EQ(command.line, 3);
    EXPECT_FALSE(reader.next(command));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("script line 2: unknown command"),
              std::string::npos);
}

}  // namespace
