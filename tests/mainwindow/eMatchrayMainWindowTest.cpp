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

// Runs one step per turn of the innermost modal loop, so a step that opens a
// modal window is followed by the next one inside that window's loop.
struct StepDriver : eLoopDriver {
    std::deque<Step> steps;
    void step(eMainLoop& loop) override {
        if (steps.empty()) {
            ADD_FAILURE() << "the steps ended with a modal window open";
            eDesktop::instance().handleKey(eKey::exit);
        } else {
            const Step current = std::move(steps.front());
            steps.pop_front();
            current();
        }
        loop.runFor(2);
    }
};

Step press(eKey key) {
    return [key] { eDesktop::instance().handleKey(key); };
}

std::string dump() {
    return eDesktop::instance().dump();
}

class MainWindow : public ::testing::Test {
protected:
    MainWindow() {
        for (const char* key : {"/matchray/listings_host", "/matchray/pictures_host"})
            eConfig::instance()->setKey(key, server.hostPort().c_str());
    }

    void open(const std::vector<TestFiles::Match>& matches) {
        root.writeFile("/tmp/psn", TestFiles::listings(matches));
        window = std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
    }

    // Shows the window and runs it modally through the steps; returns what exec returned.
    int run(std::deque<Step> steps) {
        StepDriver driver;
        driver.steps = std::move(steps);
        eMainLoop::instance().setDriver(&driver);
        window->show();
        const int result = window->exec();
        window->hide();
        eMainLoop::instance().setDriver(nullptr);
        return result;
    }

    TempRoot root;
    LoopbackServer server;
    std::unique_ptr<eMatchrayMainWindow> window;
};

}  // namespace

TEST_F(MainWindow, LooksAsItsSnapshot) {
    root.writeFile("/tmp/kept.png", TestFiles::png());
    root.writeFile("/tmp/old.png", TestFiles::png());
    open(
        {{1, "Northland - Southland", "kept.png", "18:00"}, {2, "Eastland - Westland", "new.png"}});
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

TEST_F(MainWindow, ColourKeysFilterTheListAndMoveTheHighlight) {
    const char* const keys[] = {"1.0w", "13.0e", "16.0e", "19.2e", "28.2e"};
    std::vector<TestFiles::Match> matches;
    for (std::string key : keys)
        matches.push_back({static_cast<int>(matches.size()), key, "-", "20:45", "-", "-",
                           key.insert(key.size() - 1, "#")});
    open(matches);
    const char* const highlights[] = {"std_dred", "std_dgreen", "std_dyellow", "std_dblue"};
    auto expectFilter = [&](int filter) {
        return [&, filter] {
            EXPECT_EQ(window->getFilter(), filter);
            const std::string shown = dump();
            const auto buttons = linesWith(shown, "eButton");
            ASSERT_EQ(buttons.size(), 4u) << shown;
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(buttons[i].find(std::string("bg=") + highlights[i]) != std::string::npos,
                          i == filter)
                    << buttons[i];
            std::string titles, expected;
            for (const std::string& line : entryLines(shown))
                titles += line.substr(line.find(": ") + 2) + ";";
            for (const char* key : keys)
                if (SatelliteFilter::accepts(filter, key))
                    expected += std::string("20:45 | ") + key + ";";
            EXPECT_EQ(titles, expected) << "filter " << filter;
            EXPECT_NE(linesWith(shown, "eListBox").at(0).find("focus"), std::string::npos);
        };
    };
    run({expectFilter(0), press(eKey::green), expectFilter(1), press(eKey::yellow), expectFilter(2),
         press(eKey::blue), expectFilter(3), press(eKey::down),
         // The key in force keeps the list as it is.
         press(eKey::blue),
         [&] { EXPECT_NE(linesWith(dump(), "eListBox")[0].find("current=1"), std::string::npos); },
         press(eKey::red), expectFilter(0), press(eKey::exit)});
}

TEST_F(MainWindow, PicturesAreDecodedOnceWhateverTheFilterAndGoWithTheWindow) {
    root.writeFile("/tmp/pic.png", TestFiles::png());
    for (const char* country : {"aa", "bb"})
        root.writeFile(std::string("/var/tuxbox/config/pitchside/countries/") + country + ".png",
                       TestFiles::png());
    std::vector<TestFiles::Match> matches;
    for (int i = 0; i < 200; ++i)
        matches.push_back({i, "M", "pic.png", "20:45", "aa", "bb", i % 2 ? "13.0#e" : "1.0#w"});
    const long before = PictureCache::decodeCount();
    open(matches);
    window->clickBtn3();
    window->clickBtn1();
    window->clickBtn0();
    EXPECT_EQ(PictureCache::decodeCount() - before, 3);
    window.reset();
    EXPECT_EQ(PictureCache::size(), 0u);
}

TEST_F(MainWindow, ABrokenListingsFileStillGivesAWindow) {
    root.writeFile("/tmp/psn", "2\n1#One#aa#p.png#bb#18:00\n");
    window = std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
    window->show();
    EXPECT_TRUE(showsMainWindow(dump()));
    EXPECT_EQ(linesWith(dump(), "eButton").size(), 4u);
    window->hide();
}

TEST_F(MainWindow, ChoosingAMatchAsksForItsChannelsAndComesBackUnchanged) {
    open({{11, "First", "-"}, {22, "Second", "-"}, {33, "Third", "-", "1", "-", "-", "28.2#e"}});
    std::deque<Step> steps = {press(eKey::yellow), press(eKey::down)};
    // Per answer: the channels the detail window lists, or -1 when the choice ends silently.
    const std::pair<std::string, int> answers[] = {
        {"2\n7#1#One#13.0#e#1#V#1#1#x#1\n7#2#Two#19.2#e#1#V#1#1#x#0\n", 2},
        {"0\n", 0},
        {"uncreatable", -1}};
    for (const auto& [body, channels] : answers) {
        steps.push_back([&, body = body] {
            if (body == "uncreatable") std::filesystem::create_directories(root.real("/tmp/psn"));
            server.answer(ChannelRequest::scriptPath, answer(body));
        });
        steps.push_back(press(eKey::ok));
        if (channels >= 0) {
            steps.push_back([&, channels = channels] {
                const std::string shown = dump();
                EXPECT_TRUE(showsDetailWindow(shown) && !showsMainWindow(shown)) << shown;
                EXPECT_EQ(entryLines(shown).size(), static_cast<size_t>(channels)) << shown;
            });
            steps.push_back(press(eKey::exit));
        }
        steps.push_back([&, channels = channels] {
            const std::string shown = dump();
            EXPECT_EQ(eDesktop::instance().topModal(), window.get());
            EXPECT_EQ(linesWith(shown, "bg=std_dyellow").size(), 1u) << shown;
            EXPECT_EQ(linesWith(shown, "focus entries=2 current=1").size(), 1u) << shown;
            EXPECT_TRUE(bThreadSponsorRunning);
            // Every path that reads the answer removes it.
            EXPECT_EQ(root.exists("/tmp/psn"), channels < 0);
            std::filesystem::remove(root.real("/tmp/psn"));
        });
    }
    steps.push_back(press(eKey::exit));
    EXPECT_EQ(run(std::move(steps)), -1);
    // Closing the window ends the ticker.
    EXPECT_FALSE(bThreadSponsorRunning);
    std::vector<std::string> bodies;
    for (const LoopbackServer::Request& r : server.requests())
        if (r.path == ChannelRequest::scriptPath)
            bodies.push_back(r.method + " " + r.userAgent + " " + r.body);
    EXPECT_EQ(bodies, std::vector<std::string>(2, "POST PS id=22&f=2&m=00:11:22:33:44:55"));
}
