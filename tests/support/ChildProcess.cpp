#include "ChildProcess.h"

#include "ProcessRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& stderrPath) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid = spawnProcess(argv, -1, fds[1], err);
    if (err >= 0) close(err);
    close(fds[1]);
    out = fds[0];
}

ChildProcess::~ChildProcess() {
    terminate(5000);
    if (out >= 0) close(out);
}

std::string ChildProcess::readLine(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        const std::size_t end = pending.find('\n');
        if (end != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || out < 0) return {};
        pollfd p{out, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) return {};
        char buffer[256];
        const ssize_t n = read(out, buffer, sizeof buffer);
        if (n <= 0) return {};
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

int ChildProcess::terminate(int timeoutMs, int sig) {
    if (pid <= 0) return -1;
    kill(pid, sig);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int listeningPort(ChildProcess& server, int timeoutMs) {
    const std::string prefix = "listening on 127.0.0.1:";
    const std::string line = server.readLine(timeoutMs);
    if (line.compare(0, prefix.size(), prefix) != 0) return 0;
    return std::atoi(line.c_str() + prefix.size());
}
