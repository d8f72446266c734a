#include "VirtualDisplay.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string socketPath(int display) {
    return "/tmp/.X11-unix/X" + std::to_string(display);
}
std::string lockPath(int display) {
    return "/tmp/.X" + std::to_string(display) + "-lock";
}

}  // namespace

VirtualDisplay::~VirtualDisplay() {
    stop();
}

std::string VirtualDisplay::program() {
    for (const char* candidate : {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"}) {
        if (access(candidate, X_OK) == 0) return candidate;
    }
    return "";
}

bool VirtualDisplay::start() {
    if (program().empty()) return false;
    // Tests running side by side start at different numbers.
    const int first = 100 + static_cast<int>(getpid() % 400);
    for (int i = 0; i < 40; ++i) {
        const int display = first + i;
        std::error_code ignored;
        if (fs::exists(socketPath(display), ignored) || fs::exists(lockPath(display), ignored))
            continue;
        if (startOn(display)) return true;
    }
    return false;
}

bool VirtualDisplay::startOn(int display) {
    const std::string xvfb = program();
    const std::string displayName = ":" + std::to_string(display);
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, 0);
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        execl(xvfb.c_str(), "Xvfb", displayName.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
              "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    pid = child;
    number = display;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            // It lost the race for this number to another server, or failed.
            pid = -1;
            return false;
        }
        std::error_code ignored;
        if (fs::exists(socketPath(display), ignored)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    stop();
    return false;
}

void VirtualDisplay::stop() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
}
