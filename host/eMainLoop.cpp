#include "eMainLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

#include "eDesktop.h"
#include "eWidget.h"

eMainLoop& eMainLoop::instance() {
    static eMainLoop loop;
    return loop;
}

eMainLoop::eMainLoop() : wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

eMainLoop::~eMainLoop() {
    if (wakeFd >= 0) close(wakeFd);
}

void eMainLoop::postText(eWidget* widget, const eString& text) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        texts[widget] = text;
    }
    wake();
}

void eMainLoop::dropText(const eWidget* widget) {
    std::lock_guard<std::mutex> lock(mutex);
    texts.erase(const_cast<eWidget*>(widget));
}

void eMainLoop::wake() {
    if (wakeFd < 0) return;
    const uint64_t one = 1;
    // A full counter still wakes the loop, so a failed write loses nothing.
    [[maybe_unused]] ssize_t written = write(wakeFd, &one, sizeof one);
}

void eMainLoop::setPostedTexts() {
    std::unordered_map<eWidget*, eString> newest;
    {
        std::lock_guard<std::mutex> lock(mutex);
        newest.swap(texts);
    }
    // A deleted widget has dropped its text, and setText deletes nothing.
    for (auto& [widget, text] : newest) widget->setText(text);
}

void eMainLoop::drainWakeups() {
    if (wakeFd < 0) return;
    uint64_t value;
    [[maybe_unused]] ssize_t got = read(wakeFd, &value, sizeof value);
}

bool eMainLoop::waitForText(int ms) {
    if (wakeFd < 0) {
        usleep(static_cast<useconds_t>(ms) * 1000);
        return false;
    }
    pollfd descriptor{wakeFd, POLLIN, 0};
    return poll(&descriptor, 1, ms) > 0;
}

void eMainLoop::runFor(int ms) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(ms > 0 ? ms : 0);
    for (;;) {
        drainWakeups();
        setPostedTexts();
        // Keep the screen current while waiting, not only at the end.
        eDesktop::instance().redrawIfNeeded();
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now()).count();
        if (left <= 0) break;
        waitForText(static_cast<int>(left));
    }
}

void eMainLoop::processPending() {
    drainWakeups();
    setPostedTexts();
    eDesktop::instance().redrawIfNeeded();
}

void eMainLoop::runModal(const std::function<bool()>& done) {
    while (!done()) {
        if (loopDriver) {
            loopDriver->step(*this);
        } else {
            runFor(10);
        }
    }
}
