// The match list window: its look, the colour keys, choosing a match and the
// way back, run modally the way the receiver runs it.
#include "eMatchrayMainWindow.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "ChannelRequest.h"
#include "EmulatorRun.h"
#include "LoopbackServer.h"
#include "PictureCache.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"
#include "eConfig.h"
#include "eDesktop.h"
#include "eMainLoop.h"

namespace {

using Step = std::function<void()>;

Step press(eKey key) {
    return [key] { eDesktop::instance().handleKey(key); };
}

std::string dump() {
    return eDesktop::instance().dump();
}

// Runs the window modally, one step per turn of the innermost modal loop: a
// step that opens a modal window is followed by the next one inside that
// window's loop. Once the steps are done, exit is pressed.
class MainWindow : public ::testing::Test, public eLoopDriver {
protected:
    MainWindow() {
        for (const char* key : {"/matchray/listings_host", "/matchray/pictures_host"})
            eConfig::instance()->setKey(key, server.hostPort().c_str());
    }

    void open(const std::string& listings) {
        root.writeFile("/tmp/psn", listings);
        window = std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
    }

    int run(std::deque<Step> todo) {
        steps = std::move(todo);
        eMainLoop::instance().setDriver(this);
        window->show();
        const int result = window->exec();
        eMainLoop::instance().setDriver(nullptr);
        return result;
    }

    void step(eMainLoop& loop) override {
        const Step current = steps.empty() ? press(eKey::exit) : std::move(steps.front());
        if (!steps.empty()) steps.pop_front();
        current();
        loop.runFor(2);
    }

    TempRoot root;
    LoopbackServer server;
    std::unique_ptr<eMatchrayMainWindow> window;
    std::deque<Step> steps;
};

}  // namespace

TEST_F(MainWindow, LooksAsItsSnapshot) {
    root.writeFile("/tmp/kept.png", TestFiles::png());
    root.writeFile("/tmp/old.png", TestFiles::png());
    open(TestFiles::listings({{1, "Northland - Southland", "kept.png", "18:00"},
                              {2, "Eastland - Westland", "new.png"}}));
    // A stale picture goes; a picture still named is kept and not fetched again.
    EXPECT_FALSE(root.exists("/tmp/old.png"));
    for (const LoopbackServer::Request& r : server.requests()) EXPECT_NE(r.path, "/fix/kept.png");
    window->show();
    std::string keys;  // what the dump leaves out: shortcut keys and fonts
    for (eWidget* child : window->getChildren())
        keys += std::string(child->kind()) + " " + child->getShortcut() + " " +
                child->getFont().family + " " + std::to_string(child->getFont().pointSize) + "\n";
    expectSnapshot("mainwindow-window", dump() + keys);
    window->hide();
}

TEST_F(MainWindow, ABrokenListingsFileStillGivesAWholeWindow) {
    open("2\n1#One#aa#p.png#bb#18:00\n");
    EXPECT_EQ(window->getChildren().size(), 6u);
}

TEST_F(MainWindow, ColourKeysFilterTheListMoveTheHighlightAndDecodeNoPictureAgain) {
    root.writeFile("/tmp/pic.png", TestFiles::png());
    for (const char* country : {"aa", "bb"})
        root.writeFile(std::string("/var/tuxbox/config/pitchside/countries/") + country + ".png",
                       TestFiles::png());
    const char* const keys[] = {"1.0w", "13.0e", "16.0e", "19.2e", "28.2e"};
    std::vector<TestFiles::Match> matches;
    for (std::string key : keys)
        matches.push_back({static_cast<int>(matches.size()), key, "pic.png", "20:45", "aa", "bb",
                           key.insert(key.size() - 1, "#")});
    const long decoded = PictureCache::decodeCount();
    open(TestFiles::listings(matches));
    const char* const highlights[] = {"std_dred", "std_dgreen", "std_dyellow", "std_dblue"};
    auto expectFilter = [&](int filter) {
        return [&, filter] {
            const std::string shown = dump();
            EXPECT_EQ(window->getFilter(), filter);
            EXPECT_EQ(linesWith(shown, "bg=std_d").size(), 1u) << shown;
            EXPECT_EQ(linesWith(shown, std::string("bg=") + highlights[filter]).at(0),
                      linesWith(shown, "eButton").at(filter));
            for (const char* key : keys)
                EXPECT_EQ(linesWith(shown, std::string("| ") + key + " |").size(),
                          SatelliteFilter::accepts(filter, key) ? 1u : 0u)
                    << key << " filter " << filter;
            EXPECT_EQ(
                linesWith(shown, "eListBox \"choices\" \"\" at 0,45 size 520x316 focus").size(),
                1u);
        };
    };
    run({expectFilter(0), press(eKey::green), expectFilter(1), press(eKey::yellow), expectFilter(2),
         press(eKey::blue), expectFilter(3), press(eKey::down),
         // The key in force keeps the list as it is.
         press(eKey::blue), [&] { EXPECT_EQ(linesWith(dump(), "current=1").size(), 1u); },
         press(eKey::red), expectFilter(0)});
    EXPECT_EQ(PictureCache::decodeCount() - decoded, 3);
    window.reset();
    EXPECT_EQ(PictureCache::size(), 0u);
}

TEST_F(MainWindow, ChoosingAMatchAsksForItsChannelsAndComesBackUnchanged) {
    open(TestFiles::listings(
        {{11, "First", "-"}, {22, "Second", "-"}, {33, "Third", "-", "1", "-", "-", "28.2#e"}}));
    std::deque<Step> script = {press(eKey::yellow), press(eKey::down)};
    // Per answer: the channels the detail window lists, or -1 when the choice ends silently.
    const std::pair<std::string, int> answers[] = {
        {"2\n7#1#One#13.0#e#1#V#1#1#x#1\n7#2#Two#19.2#e#1#V#1#1#x#0\n", 2},
        {"0\n", 0},
        {"uncreatable", -1}};
    for (const auto& [body, channels] : answers) {
        script.push_back([&, body = body] {
            if (body == "uncreatable") std::filesystem::create_directories(root.real("/tmp/psn"));
            server.answer(ChannelRequest::scriptPath, answer(body));
        });
        script.push_back(press(eKey::ok));
        script.push_back([&, channels = channels] {
            const std::string shown = dump();
            EXPECT_EQ(showsDetailWindow(shown), channels >= 0) << shown;
            if (channels < 0) return;
            EXPECT_EQ(entryLines(shown).size(), static_cast<size_t>(channels)) << shown;
            press(eKey::exit)();
        });
        script.push_back([&] {
            // Back in the main window as it was: list, filter and current entry, ticker.
            const std::string shown = dump();
            EXPECT_EQ(eDesktop::instance().topModal(), window.get());
            EXPECT_EQ(linesWith(shown, "bg=std_dyellow").size(), 1u) << shown;
            EXPECT_EQ(linesWith(shown, "focus entries=2 current=1").size(), 1u) << shown;
            EXPECT_TRUE(bThreadSponsorRunning);
        });
    }
    EXPECT_EQ(run(std::move(script)), -1);
    // Closing the window ends the ticker.
    EXPECT_FALSE(bThreadSponsorRunning);
    std::vector<std::string> bodies;
    for (const LoopbackServer::Request& r : server.requests())
        if (r.path == ChannelRequest::scriptPath)
            bodies.push_back(r.method + " " + r.userAgent + " " + r.body);
    EXPECT_EQ(bodies, std::vector<std::string>(2, "POST PS id=22&f=2&m=00:11:22:33:44:55"));
}
