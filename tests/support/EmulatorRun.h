#pragma once
// Runs receiver-emu headless on a plug-in (matchray.so unless told otherwise)
// in a receiver root of the test's, with the plug-in's server settings and
// short time limits, and reads what it printed: the dumps of its script and
// the value plugin_exec returned.

#include <optional>
#include <string>
#include <vector>

#include "ProcessRun.h"
#include "TempRoot.h"

struct EmulatorSettings {
    std::string plugin = MATCHRAY_LIB_DIR "/matchray.so";
    std::string listingsHost;       // not set when empty
    std::string picturesHost;       // not set when empty
    int connectTimeout = 2;         // seconds; not set when 0
    int stallTimeout = 2;           // seconds; not set when 0
    std::vector<std::string> more;  // further settings, "KEY=VALUE"
    int timeoutMs = 120000;         // the emulator is killed after this
};

class EmulatorRun {
public:
    // Runs the script to the plug-in's return.
    EmulatorRun(const TempRoot& root, const std::string& script,
                const EmulatorSettings& settings = {});
    // Reads the output of any emulator run.
    explicit EmulatorRun(ProcessResult process, double seconds = 0);

    const ProcessResult& process() const { return result; }
    double seconds() const { return elapsed; }
    // The value of the "plugin_exec returned N" line, if there is one.
    std::optional<int> returned() const;
    // The text between each "dump begin" and "dump end", in order.
    const std::vector<std::string>& dumps() const { return screens; }
    // Everything the emulator printed, for failure messages.
    std::string transcript() const;

private:
    void readDumps();

    ProcessResult result;
    double elapsed = 0;
    std::vector<std::string> screens;
};

std::string emulatorPath();

// Facts about one dump.
bool showsErrorBox(const std::string& dump);  // the "Can't connect to server!" box, caption "Error"
bool showsMainWindow(const std::string& dump);    // the match list "choices"
bool showsDetailWindow(const std::string& dump);  // the channel list of a match
// The entry lines of the list boxes in the dump ("entry N: ..."), in order.
std::vector<std::string> entryLines(const std::string& dump);
// The lines of text that contain needle.
std::vector<std::string> linesWith(const std::string& text, const std::string& needle);

// Puts the flags of codes into the root's country picture folder: Debian's
// flags when installed, small generated pictures otherwise.
void installFlags(const TempRoot& root, const std::vector<std::string>& codes);
