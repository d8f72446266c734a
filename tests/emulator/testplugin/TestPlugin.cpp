// A plug-in for the emulator's tests. It reads a configuration key, writes a
// file under the receiver root, shows a notice before blocking work, and runs
// a window that uses the host's widgets; it returns what the window's exec returned.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "TestWindow.h"
#include "eConfig.h"
#include "eMessageBox.h"
#include "eReceiverRoot.h"

namespace {

eString readGreeting() {
    char* value = nullptr;
    if (eConfig::instance()->getKey("/emutest/greeting", value) != 0) return "No greeting";
    eString greeting = eString("Greeting: ") + value;
    free(value);
    return greeting;
}

void writeNote(const eString& greeting) {
    FILE* note = fopen(eReceiverRoot::map("/tmp/emutest.txt").c_str(), "w");
    if (!note) return;
    fprintf(note, "%s\n", greeting.c_str());
    fclose(note);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int plugin_exec() {
    const eString greeting = readGreeting();
    writeNote(greeting);

    auto* notice =
        new eMessageBox("Preparing the test window", "Test plug-in", eMessageBox::iconInfo, 1, 0);
    notice->show();
    usleep(200 * 1000);
    notice->hide();
    delete notice;

    auto* window = new TestWindow(greeting);
    window->show();
    const int result = window->exec();
    window->hide();
    delete window;
    return result;
}
