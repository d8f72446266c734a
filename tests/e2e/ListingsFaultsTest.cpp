// A misbehaving listings server: every fault of the listings request ends in
// the error box or in the silent abandon, within the time limits, and exit
// ends the run.

#include "FaultScenario.h"
#include "TestFiles.h"

namespace {

using Delivery = LoopbackServer::Answer::Delivery;

// Whatever is on screen once plugin_exec waits for the user, then exit.
const char* const lookAndLeave = "wait 200\ndump\nkey exit\nwait 200\ndump\n";

class ListingsFaults : public FaultScenario {
protected:
    // The request failed: the error box is run, exit closes it and plugin_exec
    // returns 0 without a main window.
    void expectErrorBox(const EmulatorRun& run) {
        expectCleanEnd(run);
        EXPECT_EQ(run.returned(), std::optional<int>(0));
        ASSERT_FALSE(run.dumps().empty()) << run.transcript();
        EXPECT_TRUE(showsErrorBox(run.dumps()[0])) << run.dumps()[0];
        for (const auto& dump : run.dumps()) EXPECT_FALSE(showsMainWindow(dump)) << dump;
    }
};

TEST_F(ListingsFaults, AnswerThatStallsInTheBodyFailsAtTheStallLimit) {
    server.answer(listingsPath,
                  answer(Delivery::stall, TestFiles::listings({{1, "A v B", "a.png"}})));
    EmulatorRun result = run(lookAndLeave);
    expectErrorBox(result);
    expectEndedByTheLimit(result);
}

TEST_F(ListingsFaults, ConnectionClosedInTheBodyFails) {
    server.answer(listingsPath,
                  answer(Delivery::cut, TestFiles::listings({{1, "A v B", "a.png"}})));
    EmulatorRun result = run(lookAndLeave);
    expectErrorBox(result);
    EXPECT_LT(result.seconds(), 20);
}

TEST_F(ListingsFaults, ServerErrorsFail) {
    for (int status : {500, 503}) {
        SCOPED_TRACE(status);
        server.answer(listingsPath, answer(TestFiles::listings({{1, "A v B", "a.png"}}), status));
        expectErrorBox(run(lookAndLeave));
    }
}

TEST_F(ListingsFaults, RefusedConnectionFails) {
    EmulatorRun result = run(lookAndLeave, refusing.hostPort(), server.hostPort());
    expectErrorBox(result);
    EXPECT_LT(result.seconds(), 20);
}

TEST_F(ListingsFaults, GarbageWithinTheSizeCapIsAbandonedSilently) {
    server.answer(listingsPath, answer(TestFiles::garbage(512 << 10)));
    EmulatorRun result = run(lookAndLeave);
    expectCleanEnd(result);
    for (const auto& dump : result.dumps()) EXPECT_FALSE(showsErrorBox(dump)) << dump;
    EXPECT_FALSE(root.exists("/tmp/psn"));
}

TEST_F(ListingsFaults, InvalidUtf8AndOverlongFieldsAreCutAndShown) {
    const std::string longDirection(300, 'x');
    std::string title;
    for (int i = 0; i < 150; ++i) title += "\xc3\xa9";  // 300 bytes of "é"
    const std::string broken = "B " + TestFiles::invalidUtf8();
    server.answer(listingsPath,
                  answer(TestFiles::listings(
                      {{1, title, std::string(40, 'p') + ".png", std::string(80, 'k')},
                       {2, broken, "b.png", TestFiles::invalidUtf8(), "de", "fr", "13.0#\xc3\xff"},
                       {3, "C v D", "c.png", "Sun", "de", "fr", "19.2#" + longDirection}})));
    EmulatorRun result = run(lookAndLeave);
    expectCleanEnd(result);
    ASSERT_FALSE(result.dumps().empty()) << result.transcript();
    ASSERT_TRUE(showsMainWindow(result.dumps()[0])) << result.dumps()[0];
    const auto entries = entryLines(result.dumps()[0]);
    ASSERT_EQ(entries.size(), 3u) << result.dumps()[0];

    // 199 bytes would split an "é": the title keeps 99 of them, the kickoff 49 bytes.
    std::string kept;
    for (int i = 0; i < 99; ++i) kept += "\xc3\xa9";
    EXPECT_NE(entries[0].find(std::string(49, 'k') + " | " + kept), std::string::npos)
        << entries[0];
    EXPECT_EQ(entries[0].find(std::string(50, 'k')), std::string::npos) << entries[0];
    EXPECT_EQ(entries[0].find(kept + "\xc3"), std::string::npos) << entries[0];
    EXPECT_NE(entries[1].find(broken), std::string::npos) << entries[1];
}

TEST_F(ListingsFaults, HalfAMegabyteTitleIsCut) {
    server.answer(listingsPath,
                  answer(TestFiles::listings({{1, std::string(512 << 10, 'T'), "a.png"}})));
    EmulatorRun result = run(lookAndLeave);
    expectCleanEnd(result);
    ASSERT_FALSE(result.dumps().empty()) << result.transcript();
    const auto entries = entryLines(result.dumps()[0]);
    ASSERT_EQ(entries.size(), 1u) << result.dumps()[0];
    EXPECT_NE(entries[0].find(std::string(199, 'T')), std::string::npos);
    EXPECT_EQ(entries[0].find(std::string(200, 'T')), std::string::npos);
}

}  // namespace
