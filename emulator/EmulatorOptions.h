#pragma once
// The emulator's command line:
//   receiver-emu [--root DIR] [--set KEY=VALUE]... [--headless] [--script FILE] PLUGIN.so

#include <string>
#include <utility>
#include <vector>

class EmulatorOptions {
public:
    // Reads argv; false with a message in error when the command line is wrong.
    bool parse(int argc, const char* const* argv, std::string& error);
    static const char* usage();

    // Never the real "/" unless asked for: the default lies in the current directory.
    std::string root = "receiver-root";
    std::vector<std::pair<std::string, std::string>> settings;
    bool headless = false;
    bool help = false;
    std::string scriptFile;
    std::string plugin;
};
