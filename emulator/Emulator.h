#pragma once
// The emulator as the host runs a plug-in: it prepares the receiver root and
// the configuration store, picks a front end, calls plugin_exec and reports
// its result.

#include <fstream>
#include <memory>
#include <string>

#include "EmulatorOptions.h"
#include "eMainLoop.h"

class Emulator {
public:
    // Exit codes: 0 when plugin_exec returned, 2 on bad options or a plug-in
    // that can't be loaded.
    int run(int argc, const char* const* argv);

private:
    bool prepareRoot(std::string& error);
    bool applySettings(std::string& error);
    bool openScript(std::string& error);
    std::unique_ptr<eLoopDriver> makeDriver();

    EmulatorOptions options;
    std::ifstream scriptFile;
    std::istream* script = nullptr;
};
