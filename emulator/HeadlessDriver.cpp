#include "HeadlessDriver.h"

#include <unistd.h>

#include <cstdio>

#include "eDesktop.h"
#include "gFBDC.h"
#include "loadPNG.h"

void HeadlessDriver::step(eMainLoop& loop) {
    if (playNext(loop)) return;
    if (++exitsSent > maxExits) {
        std::fprintf(stderr, "receiver-emu: the plug-in did not return after %d exit keys\n",
                     maxExits);
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(3);
    }
    pressKey(loop, eKey::exit);
    loop.runFor(exitPause);
}

void HeadlessDriver::waitFor(eMainLoop& loop, int milliseconds) {
    loop.runFor(milliseconds);
}

bool HeadlessDriver::saveShot(const std::string& file, std::string& error) {
    eDesktop::instance().redrawIfNeeded();
    gPixmap& screen = gFBDC::getInstance()->getPixmap();
    screen.lock();
    const bool saved = savePNG(file, screen);
    screen.unlock();
    if (!saved) error = "cannot write " + file;
    return saved;
}
