#pragma once
// The GUI thread's loop. Other threads never touch widgets: they post work here
// through a locked queue with an eventfd wake-up, and the GUI thread runs it.
// A front end (SDL window or headless script) drives the loop as its driver.
// The GUI thread is the one that first asked for the loop; eWidget's
// constructor does, so it is the thread that builds the widgets.

#include <deque>
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

    // Thread-safe. task runs later on the GUI thread. Tasks posted with an owner
    // are dropped by cancel(owner); a widget cancels its own on destruction.
    void post(std::function<void()> task, const void* owner = nullptr);
    // Thread-safe. Sets widget's text on the GUI thread's next turn. Of the
    // texts handed over for one widget meanwhile only the newest is set; a
    // text the GUI thread sets itself, or cancel(widget), drops it.
    void postText(eWidget* widget, const eString& text);
    void dropText(const eWidget* widget);
    void cancel(const void* owner);

    bool isGuiThread() const { return std::this_thread::get_id() == guiThread; }

    // GUI thread: runs posted tasks and redraws the screen until ms have passed.
    void runFor(int ms);
    // GUI thread: runs what is posted now and redraws the screen, without waiting.
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
    bool waitForPost(int ms);
    void wake();
    void drainWakeups();
    void runPosted();
    void setPostedTexts();

    struct Task {
        std::function<void()> run;
        const void* owner;
    };
    std::mutex mutex;
    std::deque<Task> queue;
    std::unordered_map<eWidget*, eString> texts;
    const std::thread::id guiThread = std::this_thread::get_id();
    int wakeFd = -1;
    eLoopDriver* loopDriver = nullptr;
};
