#pragma once
// The GUI thread's loop. Other threads never touch widgets: a text they set
// waits here, behind a lock with an eventfd wake-up, until the GUI thread sets
// it. A front end (SDL window or headless script) drives the loop as its driver.
// The GUI thread is the one that first asked for the loop; eWidget's
// constructor does, so it is the thread that builds the widgets.

#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "eString.h"

class eWidget;
class eMainLoop;

// A front end. step() is called over and over while a modal loop runs; it
// delivers input and lets time pass, for example with runFor().
class eLoopDriver {
public:
    virtual ~eLoopDriver() = default;
    virtual void step(eMainLoop& loop) = 0;
    // Called after the screen was redrawn outside a modal loop, for example when
    // a notice is shown before blocking work.
    virtual void present() {}
};

class eMainLoop {
public:
    static eMainLoop& instance();

    // Thread-safe. Sets widget's text on the GUI thread's next turn. Of the
    // texts handed over for one widget meanwhile only the newest is set;
    // dropText drops it, as a text the GUI thread sets itself and the
    // widget's destruction do.
    void postText(eWidget* widget, const eString& text);
    void dropText(const eWidget* widget);

    bool isGuiThread() const { return std::this_thread::get_id() == guiThread; }

    // GUI thread: sets the texts handed over and redraws the screen until ms have passed.
    void runFor(int ms);
    // GUI thread: sets the texts handed over now and redraws the screen, without waiting.
    void processPending();

    // Runs until done() is true: the driver's step, or runFor(10) without one.
    void runModal(const std::function<bool()>& done);

    void setDriver(eLoopDriver* driver) { loopDriver = driver; }
    eLoopDriver* driver() const { return loopDriver; }

    eMainLoop(const eMainLoop&) = delete;
    eMainLoop& operator=(const eMainLoop&) = delete;

private:
    eMainLoop();
    ~eMainLoop();
    bool waitForText(int ms);
    void wake();
    void drainWakeups();
    void setPostedTexts();

    std::mutex mutex;
    std::unordered_map<eWidget*, eString> texts;
    const std::thread::id guiThread = std::this_thread::get_id();
    int wakeFd = -1;
    eLoopDriver* loopDriver = nullptr;
};
