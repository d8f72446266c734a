// The GUI loop: tasks posted from other threads, cancelled by their owner, and
// the front end that drives modal loops.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "eMainLoop.h"

namespace {

TEST(MainLoop, TasksFromAnotherThreadWakeTheLoopAndRunOnItInOrder) {
    eMainLoop& loop = eMainLoop::instance();
    const std::thread::id gui = std::this_thread::get_id();
    std::vector<int> ran;  // touched by the GUI thread only
    bool allOnGui = true;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the loop waits first
        for (int i = 0; i < 100; ++i)
            loop.post([&, i] {
                allOnGui = allOnGui && std::this_thread::get_id() == gui;
                ran.push_back(i);
            });
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    loop.runModal([&] { return ran.size() == 100 || std::chrono::steady_clock::now() > deadline; });
    poster.join();
    ASSERT_EQ(ran.size(), 100u);
    EXPECT_TRUE(allOnGui);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[static_cast<size_t>(i)], i);
}

TEST(MainLoop, CancelDropsOnlyTheOwnersTasksAndATasksPostRunsNextTurn) {
    eMainLoop& loop = eMainLoop::instance();
    int owner = 0, other = 0;
    std::vector<int> ran;
    std::thread([&] {
        loop.post([&] { ran.push_back(1); }, &owner);
        loop.post([&] { ran.push_back(2); }, &other);
    }).join();
    loop.cancel(&owner);
    loop.post([&] {
        ran.push_back(3);
        loop.cancel(&owner);  // the task behind this one
    });
    loop.post([&] { ran.push_back(4); }, &owner);
    loop.processPending();
    loop.post([&] { loop.post([&] { ran.push_back(5); }); });
    loop.processPending();
    EXPECT_EQ(ran, (std::vector<int>{2, 3}));
    loop.processPending();
    EXPECT_EQ(ran, (std::vector<int>{2, 3, 5}));
}

TEST(MainLoop, ModalLoopsStepTheDriver) {
    struct Driver : eLoopDriver {
        void step(eMainLoop& loop) override {
            ++steps;
            loop.runFor(1);
        }
        int steps = 0;
    } driver;
    eMainLoop::instance().setDriver(&driver);
    eMainLoop::instance().runModal([&] { return driver.steps == 3; });
    eMainLoop::instance().setDriver(nullptr);
    EXPECT_EQ(driver.steps, 3);
}

}  // namespace
