#pragma once
// An Xvfb server of the test's own on a free display number, stopped with the object.

#include <sys/types.h>

#include <string>

class VirtualDisplay {
public:
    VirtualDisplay() = default;
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // The Xvfb program, or empty when it isn't installed.
    static std::string program();

    // Starts Xvfb on the first display number that is free and comes up;
    // false when none does.
    bool start();
    // ":N" for DISPLAY.
    std::string name() const { return ":" + std::to_string(number); }

private:
    bool startOn(int display);
    void stop();

    pid_t pid = -1;
    int number = -1;
};
