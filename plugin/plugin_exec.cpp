// The host's entry into the plug-in.

#include <memory>

#include "DeviceIdentity.h"
#include "ListingsRequest.h"
#include "eMatchrayMainWindow.h"
#include "eMessageBox.h"

extern "C" __attribute__((visibility("default"))) int plugin_exec();

namespace {

// The failure box, run until the user closes it. The run then returns 0.
int showError() {
    std::unique_ptr<eMessageBox> errorBox(
        new eMessageBox("Can't connect to server!", "Error", 33, 1, 0));
    errorBox->show();
    errorBox->exec();
    errorBox->hide();
    return 0;
}

int run() {
    const eString deviceIdentity = DeviceIdentity::read("eth0");
    const eString timeZone = ListingsRequest::timeZone();

    // Shown, never run: it stays up while the transfer blocks the GUI thread.
    std::unique_ptr<eMessageBox> waitBox(
        new eMessageBox("Download data\nPlease wait...", "Match Ray", 16, 1, 0));
    waitBox->show();

    ListingsRequest::Outcome outcome =
        ListingsRequest::send("/tmp/psn", ListingsRequest::body(timeZone, deviceIdentity));
    if (outcome == ListingsRequest::Outcome::noFile) return 0;
    waitBox->hide();

    if (outcome != ListingsRequest::Outcome::ok) return showError();

    std::unique_ptr<eMatchrayMainWindow> window(new eMatchrayMainWindow(deviceIdentity));
    window->show();
    int result = window->exec();
    window->hide();
    return result;
}

}  // namespace

// Nothing may unwind into the host: any exception, std::bad_alloc included,
// ends the run on the failure box, once the unwinding has freed what the run
// held, its windows included.
int plugin_exec() {
    try {
        return run();
    } catch (...) {
    }
    try {
        return showError();
    } catch (...) {
        return 0;
    }
}
