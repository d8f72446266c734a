#include "NoticeTicker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "eLabel.h"
#include "eMainLoop.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Ticker : public ::testing::Test {
protected:
    ~Ticker() override { NoticeTicker::setPeriod(2500); }  // the ticker stops first, as a member

    // Runs the GUI loop until the label shows another text or 10 s pass.
    std::string nextText(const std::string& current) {
        const auto end = Clock::now() + 10s;
        while (label->getText() == current && Clock::now() < end) eMainLoop::instance().runFor(5);
        return label->getText();
    }

    std::unique_ptr<eLabel> label = std::make_unique<eLabel>(nullptr);
    NoticeTicker ticker;
};

}  // namespace

// A stalled test thread may miss up to two rows, but one out of order fails.
TEST_F(Ticker, ShowsTheRowsInTableOrderEndlessly) {
    NoticeTicker::setPeriod(100);
    ticker.start(label.get());
    unsigned next = 0;  // the position in the endless table of the row to come
    for (std::string shown; next <= 20; ++next) {
        shown = nextText(shown);
        const unsigned due = next;
        while (next <= due + 2 && sponsor_message[next % 20] != shown) ++next;
        ASSERT_LE(next, due + 2) << "row " << due << " due, \"" << shown << "\" shown";
    }
}

TEST_F(Ticker, StopsPromptlyAtAnyTime) {
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        NoticeTicker once;  // stopped before its thread ran a step, or while it sleeps
        once.start(label.get());
        if (i % 2) std::this_thread::sleep_for(20ms);
        once.stop();
        once.stop();
        EXPECT_LT(Clock::now() - start, 2s);
    }
}
