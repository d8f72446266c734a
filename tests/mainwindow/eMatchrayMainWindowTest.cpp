#include "eMatchrayMainWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "ChannelRequest.h"
#include "EmulatorRun.h"
#include "EntryDrawing.h"
#include "LoopSteps.h"
#include "LoopbackServer.h"
#include "PictureCache.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"
#include "eConfig.h"
#include "eDesktop.h"
#include "eTextPara.h"

namespace {

// A main window over five matches, one on each of "1.0w", "13.0e", "16.0e", "19.2e" and "28.2e",
// all showing pic.png, with a stale picture beside it; the servers on loopback.
class MainWindow : public testing::Test {
protected:
    MainWindow() {
        for (const char* key : {"/matchray/listings_host", "/matchray/pictures_host"})
            eConfig::instance()->setKey(key, server.hostPort().c_str());
        root.writeFile("/tmp/pic.png", TestFiles::png());
        root.writeFile("/tmp/old.png", TestFiles::png());
        installFlags(root, {"aa", "bb"});
        std::vector<TestFiles::Match> matches;
        for (std::string key : {"1.0w", "13.0e", "16.0e", "19.2e", "28.2e"})
            matches.push_back({static_cast<int>(matches.size()), "On " + key, "pic.png", "20:45",
                               "aa", "bb", key.insert(key.size() - 1, "#")});
        listings = TestFiles::listings(matches);
        NoticeTicker::setPeriod(600000);  // the ticker keeps still, so dumps show one window
        open();
    }
    ~MainWindow() override {
        window.reset();
        NoticeTicker::setPeriod(2500);
    }

    // A new window on the listings, in place of the one before.
    void open() {
        window.reset();
        root.writeFile("/tmp/psn", listings);
        window = std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
        window->show();
    }

    // Runs the window modally through steps, then exit.
    int run(std::deque<std::function<void()>> steps) {
        LoopSteps script(std::move(steps));
        return window->exec();
    }

    // The dumps before choosing the second match of the yellow list with body as the channel
    // answer, right after the choice, and back in the list; whether the ticker ran then.
    struct Choice {
        std::string before, chosen, after;
        bool tickerRunning = false;
    };
    Choice choose(const std::string& body) {
        Choice seen;
        const auto dump = [] { return eDesktop::instance().dump(); };
        run({press(eKey::yellow), press(eKey::down),
             [&] {
                 if (body == "uncreatable")
                     std::filesystem::create_directories(root.real("/tmp/psn"));
                 server.answer(ChannelRequest::scriptPath, answer(body));
                 seen.before = dump();
             },
             press(eKey::ok),
             [&] {
                 seen.chosen = dump();
                 if (showsDetailWindow(seen.chosen)) press(eKey::exit)();
             },
             [&] {
                 seen.after = dump();
                 seen.tickerRunning = bThreadSponsorRunning;
             }});
        return seen;
    }

    TempRoot root;
    LoopbackServer server;
    std::string listings;
    std::unique_ptr<eMatchrayMainWindow> window;
};

// Per channel answer: the channels the detail window lists, or -1 when the choice ends silently.
const std::pair<std::string, int> channelAnswers[] = {
    {"2\n7#1#One#13.0#e#1#V#1#1#x#1\n7#2#Two#19.2#e#1#V#1#1#x#0\n", 2},
    {"0\n", 0},
    {"uncreatable", -1}};

// The key in force keeps the list as it is, with its current entry.
TEST_F(MainWindow, ColourKeysFilterTheListAsTheSnapshotShows) {
    std::string shown;
    std::deque<std::function<void()>> steps;
    for (eKey key : {eKey::red, eKey::green, eKey::yellow, eKey::blue, eKey::down, eKey::blue,
                     eKey::red, eKey::yellow, eKey::down})
        steps.insert(steps.end(), {press(key), [&] { shown += eDesktop::instance().dump(); }});
    EXPECT_EQ(run(std::move(steps)), -1);
    for (eWidget* child : window->getChildren())  // what the dumps leave out
        shown += std::string(child->kind()) + " " + child->getShortcut() + " " +
                 child->getFont().family + " " + std::to_string(child->getFont().pointSize) + "\n";
    expectSnapshot("mainwindow-window", shown);
}

TEST_F(MainWindow, ChosenMatchOpensItsChannels) {
    for (const auto& [body, channels] : channelAnswers) {
        open();
        const std::string shown = choose(body).chosen;
        EXPECT_EQ(showsDetailWindow(shown), channels >= 0) << shown;
        if (channels >= 0) {
            EXPECT_EQ(entryLines(shown).size(), size_t(channels)) << shown;
        }
    }
}

TEST_F(MainWindow, SendsTheChannelRequestByteForByte) {
    choose(channelAnswers[0].first);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u) << "no picture is fetched again";
    EXPECT_EQ(requests[0].bytes,
              postBytes(server, ChannelRequest::scriptPath, "PS", "id=2&f=2&m=00:11:22:33:44:55"));
}

TEST_F(MainWindow, ComesBackAsItWasAfterTheChannels) {
    for (const auto& [body, channels] : channelAnswers) {
        open();
        const Choice seen = choose(body);
        EXPECT_EQ(seen.after, seen.before) << body;
        EXPECT_TRUE(seen.tickerRunning) << body;
    }
}

TEST_F(MainWindow, EveryTickerRowFitsOnOneLine) {
    for (eWidget* child : window->getChildren()) {
        if (std::string(child->kind()) != "eLabel") continue;
        for (const eString& row : sponsor_message) {
            const eTextParaPtr para = layoutPara(child->getAbsoluteClientRect(), child->getFont(),
                                                 row, eTextPara::dirCenter);
            EXPECT_EQ(para->getLineCount(), 1) << row;
        }
    }
}

TEST_F(MainWindow, RemovesStalePictures) {
    EXPECT_FALSE(root.exists("/tmp/old.png"));
    EXPECT_TRUE(root.exists("/tmp/pic.png"));
}

TEST_F(MainWindow, ClosingStopsTheTicker) {
    EXPECT_TRUE(bThreadSponsorRunning);
    run({});
    EXPECT_FALSE(bThreadSponsorRunning);
}

TEST_F(MainWindow, DecodesEachPictureOnceForEveryFilter) {
    const long decoded = PictureCache::decodeCount();
    run({press(eKey::green), press(eKey::yellow), press(eKey::blue), press(eKey::red)});
    EXPECT_EQ(PictureCache::decodeCount(), decoded);
}

TEST_F(MainWindow, LetsGoOfItsPicturesWhenDeleted) {
    EXPECT_EQ(PictureCache::size(), 3u);
    window.reset();
    EXPECT_EQ(PictureCache::size(), 0u);
}

}  // namespace
