#pragma once
// A program running beside the test, with its standard output on a pipe and
// its standard error in a file. Ended with SIGTERM and reaped when destroyed.

#include <string>
#include <vector>

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& stderrPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard output, without its line break; empty after timeoutMs.
    std::string readLine(int timeoutMs);
    // Sends SIGTERM and waits up to timeoutMs; the exit code, or -1.
    int terminate(int timeoutMs);

private:
    int pid = -1;
    int out = -1;
    std::string pending;
};
