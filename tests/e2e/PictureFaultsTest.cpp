// A misbehaving picture server: every fault of the picture download leaves its
// entry without a picture, the window still opens within the time limits, and
// nothing is written outside "/tmp/".

#include "FaultScenario.h"
#include "TestFiles.h"

namespace {

using Delivery = LoopbackServer::Answer::Delivery;

const char* const lookAndLeave = "wait 200\ndump\nkey exit\n";
// The list shows six entries at a time: look, go to the last entry, look again.
const char* const lookAtAllAndLeave =
    "wait 200\ndump\nkey down\nkey down\nkey down\nkey down\nkey down\nkey down\nkey down\n"
    "key down\ndump\nkey exit\n";

class PictureFaults : public FaultScenario {
protected:
    // One match per picture name, all on 13.0e, served a good listings file.
    void serveListings(const std::vector<std::string>& pictures) {
        std::vector<TestFiles::Match> matches;
        for (size_t i = 0; i < pictures.size(); ++i) {
            matches.push_back({int(i + 1), "Match " + std::to_string(i + 1), pictures[i]});
        }
        server.answer(listingsPath, answer(TestFiles::listings(matches)));
    }

    static bool showsPicture(const std::string& entry, const std::string& name) {
        return entry.find("[picture /tmp/" + name + "]") != std::string::npos;
    }
};

TEST_F(PictureFaults, EveryBrokenPictureLeavesItsEntryWithoutOne) {
    const std::vector<std::string> names = {"good.png", "stall.png",  "cut.png",   "e500.png",
                                            "e503.png", "notpng.png", "trunc.png", "garbage.png"};
    serveListings(names);
    server.answer("/fix/good.png", answer(TestFiles::png()));
    server.answer("/fix/stall.png", answer(Delivery::stall, TestFiles::png()));
    server.answer("/fix/cut.png", answer(Delivery::cut, TestFiles::png()));
    server.answer("/fix/e500.png", answer(TestFiles::png(), 500));
    server.answer("/fix/e503.png", answer(TestFiles::png(), 503));
    server.answer("/fix/notpng.png", answer(TestFiles::notPng()));
    server.answer("/fix/trunc.png", answer(TestFiles::truncatedPng()));
    server.answer("/fix/garbage.png", answer(TestFiles::garbage(256 << 10)));

    EmulatorRun result = run(lookAtAllAndLeave);
    expectCleanEnd(result);
    // One transfer waits for the stall limit; the others end at once.
    expectEndedByTheLimit(result);

    ASSERT_EQ(result.dumps().size(), 2u) << result.transcript();
    ASSERT_TRUE(showsMainWindow(result.dumps()[0])) << result.dumps()[0];
    // Each entry as last drawn: the first dump shows the top of the list, the second its end.
    auto entries = entryLines(result.dumps()[0]);
    const auto scrolled = entryLines(result.dumps()[1]);
    ASSERT_EQ(entries.size(), names.size()) << result.dumps()[0];
    ASSERT_EQ(scrolled.size(), names.size()) << result.dumps()[1];
    for (size_t i = 0; i < names.size(); ++i) {
        if (scrolled[i].find("Match ") != std::string::npos) entries[i] = scrolled[i];
        EXPECT_NE(entries[i].find("Match " + std::to_string(i + 1)), std::string::npos)
            << entries[i];
        EXPECT_EQ(showsPicture(entries[i], names[i]), i == 0) << entries[i];
    }
    EXPECT_NE(result.process().out.find("Zavrsio thread1"), std::string::npos);
}

TEST_F(PictureFaults, RefusedPictureServerLeavesEveryEntryWithoutOne) {
    serveListings({"a.png", "b.png"});
    EmulatorRun result = run(lookAndLeave, server.hostPort(), refusing.hostPort());
    expectCleanEnd(result);
    EXPECT_LT(result.seconds(), 30);
    ASSERT_FALSE(result.dumps().empty()) << result.transcript();
    const auto entries = entryLines(result.dumps()[0]);
    ASSERT_EQ(entries.size(), 2u) << result.dumps()[0];
    for (const auto& entry : entries) EXPECT_EQ(entry.find("[picture /tmp/"), std::string::npos);
}

TEST_F(PictureFaults, UnsafeNamesAreNeverRequestedOrWritten) {
    serveListings({"../escape.png", "..", "a/b.png", "good.png"});
    server.answer("/fix/good.png", answer(TestFiles::png()));
    EmulatorRun result = run(lookAndLeave);
    expectCleanEnd(result);  // also: nothing appeared outside /tmp/
    for (const auto& request : server.requests()) {
        if (request.path.rfind("/fix/", 0) == 0) {
            EXPECT_EQ(request.path, "/fix/good.png");
        }
    }
    ASSERT_FALSE(result.dumps().empty()) << result.transcript();
    const auto entries = entryLines(result.dumps()[0]);
    ASSERT_EQ(entries.size(), 4u) << result.dumps()[0];
    EXPECT_TRUE(showsPicture(entries[3], "good.png")) << entries[3];
}

}  // namespace
