#include "NoticeTicker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "eLabel.h"
#include "eMainLoop.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class Ticker : public ::testing::Test {
protected:
    ~Ticker() override { NoticeTicker::setPeriod(2500); }  // the ticker stops first, as a member

    // Runs the GUI loop until the label shows another text or 10 s pass.
    std::string nextText(const std::string& current) {
        const auto start = Clock::now();
        while (label->getText() == current && secondsSince(start) < 10)
            eMainLoop::instance().runFor(5);
        return label->getText();
    }

    std::unique_ptr<eLabel> label = std::make_unique<eLabel>(nullptr);
    NoticeTicker ticker;
};

}  // namespace

TEST_F(Ticker, RowsComeOnePerPeriodInTableOrderEndlessly) {
    const auto start = Clock::now();
    ticker.start(label.get());
    EXPECT_EQ(nextText(""), sponsor_message[0]);
    EXPECT_TRUE(secondsSince(start) > 2.0 && secondsSince(start) < 6.0) << secondsSince(start);
    // Again from the first row, faster. Neighbouring rows differ, so each shows as a
    // change; a stalled test thread may miss up to two, but a row out of order fails.
    ticker.stop();
    NoticeTicker::setPeriod(150);
    ticker.start(label.get());
    unsigned next = 0;  // the position in the endless table of the row to come
    for (std::string shown = sponsor_message[0]; next <= 20; ++next) {
        shown = nextText(shown);
        const unsigned due = next;
        while (next <= due + 2 && sponsor_message[next % 20] != shown) ++next;
        ASSERT_LE(next, due + 2) << "row " << due << " due, \"" << shown << "\" shown";
    }
}

TEST_F(Ticker, TextsReachTheLabelOnlyThroughTheGuiLoopAndNeverADeletedOne) {
    NoticeTicker::setPeriod(10);
    ticker.start(label.get());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(label->getText(), "");
    eMainLoop::instance().processPending();
    EXPECT_NE(label->getText(), "");
    // Rows queued for a label deleted before the loop runs are dropped.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ticker.stop();
    label.reset();
    eMainLoop::instance().processPending();
}

TEST_F(Ticker, StopsPromptlyAtAnyTimeAndTwice) {
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        NoticeTicker once;  // stopped before its thread ran a step, or while it sleeps
        once.start(label.get());
        if (i % 2) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        once.stop();
        once.stop();
        EXPECT_FALSE(bThreadSponsorRunning);
        EXPECT_LT(secondsSince(start), 2.0);
    }
    // Without a label the thread sleeps one period and ends.
    NoticeTicker::setPeriod(50);
    bThreadSponsorRunning = true;
    EXPECT_EQ(NoticeTicker::threadSponsor(nullptr), nullptr);
    EXPECT_FALSE(bThreadSponsorRunning);
}
