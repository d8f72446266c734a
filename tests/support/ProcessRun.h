#pragma once
// The tests' process runner: runProcess runs a program to its end with a time
// limit, feeding it standard input and collecting its standard output and
// standard error; ChildProcess (ChildProcess.h) keeps one running beside the
// test. Both start it with spawnProcess.

#include <sys/types.h>

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

// Starts argv (through commandFor) with in, out and err as its standard
// streams (-1: the test's own) and extraEnv ("KEY=VALUE") added. The caller's
// other descriptors must be close-on-exec. The child's pid, or -1.
pid_t spawnProcess(const std::vector<std::string>& argv, int in, int out, int err,
                   const std::vector<std::string>& extraEnv = {});
