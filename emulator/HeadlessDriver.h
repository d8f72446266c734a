#pragma once
// The headless front end: no window. It plays its script, and once the script
// has ended it sends exit until the plug-in's modal loops have all returned.

#include "ScriptDriver.h"

class HeadlessDriver : public ScriptDriver {
public:
    // How long the GUI loop runs between two exit keys at the end.
    static constexpr int exitPause = 20;
    // After this many exit keys the plug-in is taken to hang and the emulator stops.
    static constexpr int maxExits = 500;

    using ScriptDriver::ScriptDriver;

    void step(eMainLoop& loop) override;

protected:
    void waitFor(eMainLoop& loop, int milliseconds) override;
    bool saveShot(const std::string& file, std::string& error) override;

private:
    int exitsSent = 0;
};
