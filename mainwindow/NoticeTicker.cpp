#include "NoticeTicker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "eLabel.h"

const eString sponsor_message[20] = {
    "Welcome to Match Ray!",
    "From the Match Ray team and its plug-ins",
    "This plugin is just a demo",
    "more plug-ins of the family are on their way",
    " ",
    "What is new?",
    "Listings now come from our own listings server",
    "Channel details come from the same server",
    "Now with time zones support!!!",
    " ",
    "If you find bugs, or kick off time is wrong",
    "please contact me!",
    " ",
    "Please tell us which matches you miss",
    "Write to us through the project's issue tracker",
    "Ask for the Match Ray team there",
    "Notes in the project's forum reach us too",
    "The project's page lists where to find us",
    "See ya there!",
    " ",
};

std::atomic<bool> bThreadSponsorRunning{false};

namespace {

// The ticker sleeps on this, so a stop request wakes it at once.
std::mutex sponsorMutex;
std::condition_variable sponsorWake;
std::atomic<int> sponsorPeriodMs{2500};

// Waits until deadline; false when a stop was requested meanwhile.
bool sponsorSleepUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(sponsorMutex);
    return !sponsorWake.wait_until(lock, deadline, [] { return !bThreadSponsorRunning.load(); });
}

}  // namespace

void NoticeTicker::setPeriod(int milliseconds) {
    sponsorPeriodMs = milliseconds;
}

void NoticeTicker::start(eLabel* label) {
    if (started) return;
    // Raised before the thread exists, so a stop at any later moment is seen.
    bThreadSponsorRunning = true;
    started = pthread_create(&thread, nullptr, threadSponsor, label) == 0;
    if (!started) bThreadSponsorRunning = false;
}

void NoticeTicker::stop() {
    if (!started) return;
    {
        std::lock_guard<std::mutex> lock(sponsorMutex);
        bThreadSponsorRunning = false;
    }
    sponsorWake.notify_all();
    pthread_join(thread, nullptr);
    started = false;
}

void* NoticeTicker::threadSponsor(void* label) {
    auto* ticker = static_cast<eLabel*>(label);
    const std::chrono::milliseconds period(sponsorPeriodMs.load());
    // Deadlines from the start, so the rows keep their pace however long a post takes.
    auto deadline = std::chrono::steady_clock::now();
    for (unsigned i = 0;; ++i) {
        i %= 20;
        deadline += period;
        if (!sponsorSleepUntil(deadline) || !ticker) break;
        ticker->setText(sponsor_message[i]);
    }
    bThreadSponsorRunning = false;
    return nullptr;
}
