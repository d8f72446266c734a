#pragma once
// Drives the GUI loop of a test while it lives: each turn of a modal loop runs
// the next step and lets the loop run briefly; with no step left, a turn presses
// exit on the topmost modal window.

#include <deque>
#include <functional>

#include "eDesktop.h"
#include "eMainLoop.h"

// A step that presses key on the topmost modal window.
inline std::function<void()> press(eKey key) {
    return [key] { eDesktop::instance().handleKey(key); };
}

class LoopSteps : public eLoopDriver {
public:
    explicit LoopSteps(std::deque<std::function<void()>> steps = {}) : steps(std::move(steps)) {
        eMainLoop::instance().setDriver(this);
    }
    ~LoopSteps() override { eMainLoop::instance().setDriver(nullptr); }
    LoopSteps(const LoopSteps&) = delete;
    LoopSteps& operator=(const LoopSteps&) = delete;

    void step(eMainLoop& loop) override {
        const std::function<void()> next = steps.empty() ? press(eKey::exit) : steps.front();
        if (!steps.empty()) steps.pop_front();
        next();
        loop.runFor(2);
    }

    std::deque<std::function<void()>> steps;
};
