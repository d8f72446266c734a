#pragma once
// A program running beside the test, with its standard output on a pipe and
// its standard error in a file (or /dev/null). Ended with SIGTERM and reaped
// when destroyed. Programs to run to their end go through runProcess.

#include <csignal>
#include <string>
#include <vector>

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& stderrPath = "/dev/null");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard output, without its line break; empty after timeoutMs.
    std::string readLine(int timeoutMs);
    // Sends the signal and waits up to timeoutMs; the exit code, or -1.
    int terminate(int timeoutMs, int sig = SIGTERM);

private:
    int pid = -1;
    int out = -1;
    std::string pending;
};

// The port of the "listening on 127.0.0.1:N" line that "listings-server serve"
// prints first; 0 when it doesn't come within timeoutMs.
int listeningPort(ChildProcess& server, int timeoutMs = 10000);
