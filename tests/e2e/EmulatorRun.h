#pragma once
// Runs receiver-emu headless on matchray.so in a receiver root of the test's,
// with the plug-in's server settings and short time limits, and reads what it
// printed: the dumps of its script and the value plugin_exec returned.

#include <optional>
#include <string>
#include <vector>

#include "ProcessRun.h"

struct EmulatorSettings {
    std::string listingsHost;
    std::string picturesHost;
    int connectTimeout = 2;         // seconds
    int stallTimeout = 2;           // seconds
    std::vector<std::string> more;  // further settings, "KEY=VALUE"
};

class EmulatorRun {
public:
    // Runs the script to the plug-in's return, killing the emulator after timeoutMs.
    EmulatorRun(const std::string& root, const EmulatorSettings& settings,
                const std::string& script, int timeoutMs = 120000);

    const ProcessResult& process() const { return result; }
    double seconds() const { return elapsed; }
    // The value of the "plugin_exec returned N" line, if there is one.
    std::optional<int> returned() const;
    // The text between each "dump begin" and "dump end", in order.
    const std::vector<std::string>& dumps() const { return screens; }
    // Everything the emulator printed, for failure messages.
    std::string transcript() const;

private:
    ProcessResult result;
    double elapsed = 0;
    std::vector<std::string> screens;
};

// Facts about one dump.
bool showsErrorBox(const std::string& dump);  // the "Can't connect to server!" box, caption "Error"
bool showsMainWindow(const std::string& dump);    // the match list "choices"
bool showsDetailWindow(const std::string& dump);  // the channel list of a match
// The entry lines of the list boxes in the dump ("entry N: ..."), in order.
std::vector<std::string> entryLines(const std::string& dump);
