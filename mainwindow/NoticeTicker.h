#pragma once
// The notice ticker below the match list: a thread of its own that sets the
// rows of sponsor_message as the text of a label, one row per period, in table
// order, until it is stopped. The host makes setText safe from this thread.

#include <pthread.h>

#include <atomic>

#include "eString.h"

class eLabel;

// The ticker's rows, shown one after another in this order.
extern const eString sponsor_message[20];

// True while a ticker thread runs; clearing it asks the thread to end. There is
// one flag, so one ticker runs at a time, as plugin_exec runs one main window.
extern std::atomic<bool> bThreadSponsorRunning;

class NoticeTicker {
public:
    NoticeTicker() = default;
    NoticeTicker(const NoticeTicker&) = delete;
    NoticeTicker& operator=(const NoticeTicker&) = delete;
    // Stops a thread still running, so it never outlives its label's owner.
    ~NoticeTicker() { stop(); }

    // Starts the thread on label; the first row shows one period later.
    void start(eLabel* label);
    // Asks the thread to end, wakes it from its sleep and joins it. A stop
    // made at any time after start is seen; stopping again does nothing.
    void stop();

    // The thread's body. With a null label it sleeps one period and ends.
    static void* threadSponsor(void* label);

    // The time between two rows: 2500 ms, shorter in tests. A thread reads it
    // when it starts.
    static void setPeriod(int milliseconds);

private:
    pthread_t thread{};
    bool started = false;
};
