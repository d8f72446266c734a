#pragma once
// Runs the real receiver-emu with the test plug-in and splits its output.

#include <string>
#include <vector>

#include "ProcessRun.h"
#include "TempRoot.h"

struct EmulatorRun {
    ProcessResult process;
    // The text of each dump, between "dump begin" and "dump end".
    std::vector<std::string> dumps;
    // N of "plugin_exec returned N"; false in returned when the line is missing.
    bool returned = false;
    int result = 0;
};

std::string emulatorPath();
std::string testPluginPath();

// Runs receiver-emu --root ROOT --headless [extra...] testplugin.so with script on stdin.
EmulatorRun runEmulator(const TempRoot& root, const std::string& script,
                        const std::vector<std::string>& extra = {});
// Splits the output of any emulator run.
EmulatorRun parseRun(ProcessResult process);

// Puts the flags of codes into the root's country picture folder: Debian's
// flags when installed, small generated pictures otherwise.
void installFlags(const TempRoot& root, const std::vector<std::string>& codes);

// The lines of text that contain needle.
std::vector<std::string> linesWith(const std::string& text, const std::string& needle);
