#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "eMainLoop.h"

namespace {

TEST(MainLoop, TasksPostedFromAnotherThreadRunOnTheLoopInOrder) {
    eMainLoop& loop = eMainLoop::instance();
    const std::thread::id gui = std::this_thread::get_id();
    std::vector<int> ran;  // touched by the GUI thread only
    bool allOnGui = true;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            loop.post([&, i] {
                allOnGui = allOnGui && std::this_thread::get_id() == gui;
                ran.push_back(i);
            });
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    loop.runModal([&] { return ran.size() == 100 || std::chrono::steady_clock::now() > deadline; });
    poster.join();
    ASSERT_EQ(ran.size(), 100u);
    EXPECT_TRUE(allOnGui);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[static_cast<size_t>(i)], i);
}

TEST(MainLoop, WakesUpWhenAnotherThreadPosts) {
    eMainLoop& loop = eMainLoop::instance();
    std::atomic<bool> done{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        loop.post([&] { done = true; });
    });
    const auto start = std::chrono::steady_clock::now();
    while (!done && std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
        loop.runFor(50);
    poster.join();
    EXPECT_TRUE(done);
}

TEST(MainLoop, CancelDropsOnlyTheOwnersTasks) {
    eMainLoop& loop = eMainLoop::instance();
    int owner = 0;
    int other = 0;
    std::vector<int> ran;
    std::thread poster([&] {
        loop.post([&] { ran.push_back(1); }, &owner);
        loop.post([&] { ran.push_back(2); }, &other);
        loop.post([&] { ran.push_back(3); }, &owner);
        loop.post([&] { ran.push_back(4); });
    });
    poster.join();
    loop.cancel(&owner);
    loop.processPending();
    EXPECT_EQ(ran, (std::vector<int>{2, 4}));
}

TEST(MainLoop, TaskMayCancelTasksBehindIt) {
    eMainLoop& loop = eMainLoop::instance();
    int owner = 0;
    std::vector<int> ran;
    loop.post([&] {
        ran.push_back(1);
        loop.cancel(&owner);
    });
    loop.post([&] { ran.push_back(2); }, &owner);
    loop.processPending();
    EXPECT_EQ(ran, (std::vector<int>{1}));
}

TEST(MainLoop, TaskPostedByATaskRunsOnTheNextTurn) {
    eMainLoop& loop = eMainLoop::instance();
    int runs = 0;
    loop.post([&] {
        ++runs;
        loop.post([&] { ++runs; });
    });
    loop.processPending();
    EXPECT_EQ(runs, 1);
    loop.processPending();
    EXPECT_EQ(runs, 2);
}

// A front end that presses a key script, as the emulator's headless mode does.
class ScriptDriver : public eLoopDriver {
public:
    void step(eMainLoop& loop) override {
        ++steps;
        loop.runFor(1);
        if (steps == 3) done = true;
    }
    int steps = 0;
    bool done = false;
};

TEST(MainLoop, RunModalUsesTheDriver) {
    eMainLoop& loop = eMainLoop::instance();
    ScriptDriver driver;
    loop.setDriver(&driver);
    loop.runModal([&] { return driver.done; });
    loop.setDriver(nullptr);
    EXPECT_EQ(driver.steps, 3);
}

}  // namespace
