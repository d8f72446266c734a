// A misbehaving server behind the channel request: every fault ends in the
// error box over the main window, or in the silent abandon, within the time
// limits; the main window comes back and exit ends the run.

#include "FaultScenario.h"
#include "TestFiles.h"

namespace {

using Delivery = LoopbackServer::Answer::Delivery;

// Choose the first match, look, leave whatever came up, look again, leave.
const char* const chooseAndLeave =
    "wait 200\nkey ok\nwait 200\ndump\nkey exit\nwait 200\ndump\nkey exit\n";

class ChannelFaults : public FaultScenario {
protected:
    ChannelFaults() { serveListings(); }

    void serveListings(bool thenRefuse = false) {
        LoopbackServer::Answer listings = answer(TestFiles::listings({{1, "A v B", "a.png"}}));
        listings.thenRefuse = thenRefuse;
        server.answer(listingsPath, listings);
    }

    bool channelRequested() {
        for (const auto& request : server.requests()) {
            if (request.path == channelsPath) return true;
        }
        return false;
    }

    // The error box over the main window; exit closes it and leaves the main window.
    void expectErrorBox(const EmulatorRun& run) {
        expectCleanEnd(run);
        ASSERT_EQ(run.dumps().size(), 2u) << run.transcript();
        EXPECT_TRUE(showsErrorBox(run.dumps()[0])) << run.dumps()[0];
        EXPECT_FALSE(showsDetailWindow(run.dumps()[0])) << run.dumps()[0];
        EXPECT_TRUE(showsMainWindow(run.dumps()[1])) << run.dumps()[1];
        EXPECT_FALSE(showsErrorBox(run.dumps()[1])) << run.dumps()[1];
    }
};

TEST_F(ChannelFaults, AnswerThatStallsInTheBodyFailsAtTheStallLimit) {
    server.answer(channelsPath, answer(Delivery::stall, TestFiles::channels("HRT 1")));
    EmulatorRun result = run(chooseAndLeave);
    expectErrorBox(result);
    expectEndedByTheLimit(result);
}

TEST_F(ChannelFaults, ConnectionClosedInTheBodyFails) {
    server.answer(channelsPath, answer(Delivery::cut, TestFiles::channels("HRT 1")));
    expectErrorBox(run(chooseAndLeave));
}

TEST_F(ChannelFaults, ServerErrorsFail) {
    for (int status : {500, 503}) {
        SCOPED_TRACE(status);
        server.answer(channelsPath, answer(TestFiles::channels("HRT 1"), status));
        expectErrorBox(run(chooseAndLeave));
    }
}

TEST_F(ChannelFaults, RefusedConnectionFails) {
    serveListings(true);
    EmulatorRun result = run(chooseAndLeave);
    expectErrorBox(result);
    EXPECT_FALSE(channelRequested());
}

TEST_F(ChannelFaults, GarbageWithinTheSizeCapIsAbandonedSilently) {
    server.answer(channelsPath, answer(TestFiles::garbage(512 << 10)));
    EmulatorRun result = run(chooseAndLeave);
    expectCleanEnd(result);
    EXPECT_TRUE(channelRequested());
    ASSERT_FALSE(result.dumps().empty()) << result.transcript();
    EXPECT_TRUE(showsMainWindow(result.dumps()[0])) << result.dumps()[0];
    EXPECT_FALSE(showsErrorBox(result.dumps()[0])) << result.dumps()[0];
    EXPECT_FALSE(root.exists("/tmp/psn"));
}

TEST_F(ChannelFaults, InvalidUtf8AndOverlongFieldsAreCutAndShown) {
    std::string name;
    for (int i = 0; i < 60; ++i) name += "\xc5\xbd";  // 120 bytes of "Ž"
    server.answer(channelsPath, answer(TestFiles::channels(
                                    name, TestFiles::invalidUtf8() + std::string(512 << 10, 'E'))));
    EmulatorRun result = run(chooseAndLeave);
    expectCleanEnd(result);
    ASSERT_EQ(result.dumps().size(), 2u) << result.transcript();
    ASSERT_TRUE(showsDetailWindow(result.dumps()[0])) << result.dumps()[0];
    const auto entries = entryLines(result.dumps()[0]);
    ASSERT_EQ(entries.size(), 1u) << result.dumps()[0];
    // 99 bytes would split a "Ž": the name keeps 49 of them.
    std::string kept;
    for (int i = 0; i < 49; ++i) kept += "\xc5\xbd";
    EXPECT_NE(entries[0].find(kept), std::string::npos) << entries[0];
    EXPECT_EQ(entries[0].find(kept + "\xc5"), std::string::npos) << entries[0];
    EXPECT_EQ(entries[0].find(std::string(100, 'E')), std::string::npos);
    EXPECT_TRUE(showsMainWindow(result.dumps()[1])) << result.dumps()[1];
}

}  // namespace
