#include "ScriptDriver.h"

#include <cstdio>

#include "eDesktop.h"

bool ScriptDriver::playNext(eMainLoop& loop) {
    ScriptCommand command;
    if (scriptEnded || !reader.next(command)) {
        scriptEnded = true;
        return false;
    }
    switch (command.op) {
        case ScriptCommand::Op::wait:
            waitFor(loop, command.milliseconds);
            break;
        case ScriptCommand::Op::key:
            pressKey(loop, command.key);
            break;
        case ScriptCommand::Op::dump:
            dump();
            break;
        case ScriptCommand::Op::shot: {
            std::string error;
            if (!saveShot(command.file, error)) {
                std::fprintf(stderr, "receiver-emu: script line %d: %s\n", command.line,
                             error.c_str());
                std::fflush(stderr);
            }
            break;
        }
    }
    return true;
}

void ScriptDriver::pressKey(eMainLoop& loop, eKey key) {
    eDesktop::instance().handleKey(key);
    loop.processPending();
}

void ScriptDriver::dump() {
    eDesktop& desktop = eDesktop::instance();
    // List entries report what their last redraw drew, so bring the screen up to date.
    desktop.redrawIfNeeded();
    std::string text = desktop.dump();
    if (!text.empty() && text.back() != '\n') text += '\n';
    std::fputs("dump begin\n", stdout);
    std::fputs(text.c_str(), stdout);
    std::fputs("dump end\n", stdout);
    std::fflush(stdout);
}
