#pragma once
// Runs a program to its end with a time limit, feeding it standard input and
// collecting its standard output and standard error.

#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // -1 when it didn't exit normally
    int signal = 0;     // the signal that ended it, or 0
    bool timedOut = false;
    long peakRssKib = 0;  // the program's peak resident memory
    std::string out;
    std::string err;
};

// The command that runProcess executes for argv: in a cross build, programs
// built for the test's own machine go through the build's emulator.
std::vector<std::string> commandFor(const std::vector<std::string>& argv);

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         int timeoutMs = 60000, const std::vector<std::string>& extraEnv = {});
