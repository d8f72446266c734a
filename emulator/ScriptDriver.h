#pragma once
// What both front ends share: a script of commands that runs while the
// plug-in is inside its modal loops, and key presses on the screen. A front
// end decides how time passes and how the screen is shot.

#include <istream>
#include <string>

#include "ScriptReader.h"
#include "eKey.h"
#include "eMainLoop.h"

class ScriptDriver : public eLoopDriver {
public:
    // script may be null; it must outlive the driver.
    explicit ScriptDriver(std::istream* script) : reader(script), scriptEnded(script == nullptr) {}

protected:
    // Runs the next script command; false once the script has ended. A
    // command may open a modal window, so this may run again before it returns.
    bool playNext(eMainLoop& loop);
    bool hasScriptEnded() const { return scriptEnded; }

    // Sends key to the topmost modal window and runs what it caused.
    static void pressKey(eMainLoop& loop, eKey key);

    // How a wait command lets time pass.
    virtual void waitFor(eMainLoop& loop, int milliseconds) = 0;
    // Saves the screen as a PNG; false with a message in error on failure.
    virtual bool saveShot(const std::string& file, std::string& error) = 0;

private:
    static void dump();

    ScriptReader reader;
    bool scriptEnded;
};
