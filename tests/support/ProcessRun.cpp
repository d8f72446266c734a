#include "ProcessRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

#ifdef MATCHRAY_EMULATOR_PREFIX
// The ELF byte order and machine of a program, or "" when it isn't ELF.
std::string elfMachine(const std::string& path) {
    char header[20] = {};
    std::ifstream file(path, std::ios::binary);
    if (!file.read(header, sizeof header) || std::memcmp(header, "\177ELF", 4) != 0) return "";
    return std::string(1, header[5]) + header[18] + header[19];
}
#endif

}  // namespace

// In a cross build the tests run under an emulator, and so must the programs
// built for the same machine that they start: the kernel can't run those.
std::vector<std::string> commandFor(const std::vector<std::string>& argv) {
#ifdef MATCHRAY_EMULATOR_PREFIX
    if (!argv.empty() && elfMachine(argv[0]) == elfMachine("/proc/self/exe")) {
        std::vector<std::string> command = {MATCHRAY_EMULATOR_PREFIX};
        command.insert(command.end(), argv.begin(), argv.end());
        return command;
    }
#endif
    return argv;
}

pid_t spawnProcess(const std::vector<std::string>& argv, int in, int out, int err,
                   const std::vector<std::string>& extraEnv) {
    const std::vector<std::string> command = commandFor(argv);
    std::vector<char*> args;
    for (const auto& a : command) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int streams[3] = {in, out, err};
        for (int target = 0; target < 3; ++target) {
            if (streams[target] >= 0) dup2(streams[target], target);
        }
        for (const auto& e : extraEnv) putenv(const_cast<char*>(e.c_str()));
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input,
                         int timeoutMs, const std::vector<std::string>& extraEnv) {
    ProcessResult result;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return result;
    const pid_t pid = spawnProcess(argv, in[0], out[1], err[1], extraEnv);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    fcntl(err[0], F_SETFL, O_NONBLOCK);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3] = {{out[0], short(outOpen ? POLLIN : 0), 0},
                         {err[0], short(errOpen ? POLLIN : 0), 0},
                         {in[1], short(in[1] >= 0 ? POLLOUT : 0), 0}};
        poll(fds, 3, static_cast<int>(left));
        char buffer[4096];
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
            } else if (n == 0) {
                (i == 0 ? outOpen : errOpen) = false;
            }
        }
        if (in[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR))) {
            ssize_t n = write(in[1], input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            if (n < 0 || written == input.size()) {
                close(in[1]);
                in[1] = -1;
            }
        }
    }
    if (in[1] >= 0) close(in[1]);
    close(out[0]);
    close(err[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.peakRssKib = usage.ru_maxrss;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}
