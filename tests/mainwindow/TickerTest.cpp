#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "EntryDrawing.h"
#include "NoticeTicker.h"
#include "WindowTestKit.h"
#include "eDesktop.h"
#include "eMainLoop.h"
#include "eMatchrayMainWindow.h"
#include "eSkin.h"
#include "eTextPara.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepMs(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

class Ticker : public ::testing::Test {
protected:
    void TearDown() override {
        ticker.stop();
        NoticeTicker::setPeriod(2500);
    }

    // Runs the GUI loop until the label shows a text other than current, or
    // the time limit passes; returns what it shows then.
    std::string nextText(const std::string& current, double limitSeconds) {
        const auto start = Clock::now();
        while (label->getText() == current && secondsSince(start) < limitSeconds)
            eMainLoop::instance().runFor(5);
        return label->getText();
    }

    std::unique_ptr<eLabel> label = std::make_unique<eLabel>(nullptr);
    NoticeTicker ticker;
};

}  // namespace

TEST_F(Ticker, TheFirstRowShowsAfterAboutTwoAndAHalfSeconds) {
    const auto start = Clock::now();
    ticker.start(label.get());
    EXPECT_EQ(nextText("", 10), sponsor_message[0]);
    const double first = secondsSince(start);
    EXPECT_GT(first, 2.0);
    EXPECT_LT(first, 6.0);
    EXPECT_EQ(nextText(sponsor_message[0], 10), sponsor_message[1]);
    const double second = secondsSince(start);
    EXPECT_GT(second - first, 1.0);
    EXPECT_LT(second - first, 5.0);
}

TEST_F(Ticker, RowsFollowTheTableAndStartAgainAfterTwenty) {
    NoticeTicker::setPeriod(150);
    ticker.start(label.get());
    // Neighbouring rows always differ, so each row shows as a change. A
    // stalled test thread may see two rows land at once and miss the first,
    // but a row out of table order always fails.
    constexpr unsigned slack = 2;
    unsigned next = 0;  // the position in the endless table of the row to come
    std::string shown;
    while (next <= 20) {
        shown = nextText(shown, 10);
        unsigned position = next;
        while (position <= next + slack && sponsor_message[position % 20] != shown) ++position;
        ASSERT_LE(position, next + slack) << "row " << next << " due, \"" << shown << "\" shown";
        next = position + 1;
    }
}

TEST_F(Ticker, TheTextChangesOnlyThroughTheGuiLoop) {
    NoticeTicker::setPeriod(20);
    ticker.start(label.get());
    sleepMs(300);
    EXPECT_EQ(label->getText(), "");
    eMainLoop::instance().processPending();
    EXPECT_NE(label->getText(), "");
}

TEST_F(Ticker, StopsRightAfterTheStartAndAgainSafely) {
    // Stopped before the thread has run a step: the stop must not be lost.
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        NoticeTicker once;
        once.start(label.get());
        once.stop();
        EXPECT_FALSE(bThreadSponsorRunning);
        once.stop();
        EXPECT_LT(secondsSince(start), 2.0);
    }
}

TEST_F(Ticker, ATextPostedForADeletedLabelIsDropped) {
    NoticeTicker::setPeriod(10);
    ticker.start(label.get());
    // Let rows queue up for the label without running the loop, then delete
    // it: the queued texts must never reach the dead label.
    sleepMs(200);
    ticker.stop();
    label.reset();
    eMainLoop::instance().processPending();
}

TEST_F(Ticker, WithoutALabelTheThreadSleepsOnceAndEnds) {
    NoticeTicker::setPeriod(50);
    bThreadSponsorRunning = true;
    const auto start = Clock::now();
    EXPECT_EQ(NoticeTicker::threadSponsor(nullptr), nullptr);
    EXPECT_FALSE(bThreadSponsorRunning);
    EXPECT_GE(secondsSince(start), 0.04);
}

TEST(TickerWindow, ClosingTheWindowEndsTheThreadPromptly) {
    WindowRig rig;
    rig.writeListings({makeMatch(1, "One")}, {makeSatellite(1, "13.0", "e")});
    auto window = std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
    window->show();
    Clock::time_point closed;
    // Close a while after the start, while the thread sleeps.
    const int result = execWithSteps(*window, {[] { sleepMs(1000); },
                                               [&] {
                                                   EXPECT_TRUE(bThreadSponsorRunning);
                                                   closed = Clock::now();
                                                   eDesktop::instance().handleKey(eKey::exit);
                                               }});
    EXPECT_EQ(result, -1);
    EXPECT_LT(secondsSince(closed), 2.5);
    EXPECT_FALSE(bThreadSponsorRunning);
    window->hide();
}

TEST(TickerRows, EveryRowFitsTheLabelOnOneLine) {
    gFont font = eSkin::getActive()->queryFont("eListBox.EntryText.normal");
    font.pointSize = 20;
    for (const eString& row : sponsor_message) {
        SCOPED_TRACE(row);
        EXPECT_FALSE(row.empty());
        eTextParaPtr para = layoutPara(eRect(0, 0, 520, 30), font, row, eTextPara::dirCenter);
        EXPECT_EQ(para->getLineCount(), 1);
        EXPECT_LE(para->getBoundBox().width(), 520);
    }
}
