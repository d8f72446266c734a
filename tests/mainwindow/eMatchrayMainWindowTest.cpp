#include "eMatchrayMainWindow.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "ChannelRequest.h"
#include "EmulatorRun.h"
#include "EntryDrawing.h"
#include "LoopbackServer.h"
#include "PictureCache.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"
#include "eConfig.h"
#include "eDesktop.h"
#include "eMainLoop.h"
#include "eTextPara.h"

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
    // The ticker keeps still, so dumps show the same window.
    MainWindow() {
        NoticeTicker::setPeriod(600000);
        for (const char* key : {"/matchray/listings_host", "/matchray/pictures_host"})
            eConfig::instance()->setKey(key, server.hostPort().c_str());
    }

    ~MainWindow() override { NoticeTicker::setPeriod(2500); }

    // Opens the window on these listings and runs it; returns what exec returned.
    int run(const std::string& listings, std::deque<Step> todo) {
        root.writeFile("/tmp/psn", listings);
        window = std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
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

TEST_F(MainWindow, LooksAsItsSnapshotUnderEachColourKey) {
    root.writeFile("/tmp/pic.png", TestFiles::png());
    root.writeFile("/tmp/old.png", TestFiles::png());
    installFlags(root, {"aa", "bb"});
    std::vector<TestFiles::Match> matches;
    for (std::string key : {"1.0w", "13.0e", "16.0e", "19.2e", "28.2e"})
        matches.push_back({static_cast<int>(matches.size()), "On " + key, "pic.png", "20:45", "aa",
                           "bb", key.insert(key.size() - 1, "#")});
    const long decoded = PictureCache::decodeCount();
    std::string shown;
    const Step look = [&] { shown += dump(); };
    // The key in force keeps the list as it is, with its current entry.
    EXPECT_EQ(run(TestFiles::listings(matches),
                  {look, press(eKey::green), look, press(eKey::yellow), look, press(eKey::blue),
                   look, press(eKey::down), press(eKey::blue), look, press(eKey::red), look}),
              -1);
    for (eWidget* child : window->getChildren()) {  // what the dumps leave out
        shown += std::string(child->kind()) + " " + child->getShortcut() + " " +
                 child->getFont().family + " " + std::to_string(child->getFont().pointSize) + "\n";
        if (std::string(child->kind()) == "eLabel")  // every ticker row fits it on one line
            for (const eString& row : sponsor_message) {
                const eTextParaPtr para = layoutPara(child->getAbsoluteClientRect(),
                                                     child->getFont(), row, eTextPara::dirCenter);
                EXPECT_EQ(para->getLineCount(), 1) << row;
            }
    }
    expectSnapshot("mainwindow-window", shown);
    // A stale picture went; a picture still named was kept and not fetched again.
    EXPECT_FALSE(root.exists("/tmp/old.png"));
    EXPECT_TRUE(server.requests().empty());
    // Closing ends the ticker; the pictures, decoded once for all filters, go with the window.
    EXPECT_FALSE(bThreadSponsorRunning);
    EXPECT_EQ(PictureCache::decodeCount() - decoded, 3);
    window.reset();
    EXPECT_EQ(PictureCache::size(), 0u);
}

TEST_F(MainWindow, ChoosingAMatchAsksForItsChannelsAndComesBackUnchanged) {
    const std::string listings = TestFiles::listings(
        {{11, "First", "-"}, {22, "Second", "-"}, {33, "Third", "-", "", "-", "-", "28.2#e"}});
    std::string before;
    std::deque<Step> script = {press(eKey::yellow), press(eKey::down), [&] { before = dump(); }};
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
            EXPECT_EQ(eDesktop::instance().topModal(), window.get());
            EXPECT_EQ(dump(), before);
            EXPECT_TRUE(bThreadSponsorRunning);
        });
    }
    EXPECT_EQ(run(listings, std::move(script)), -1);
    std::vector<std::string> bodies;
    for (const LoopbackServer::Request& r : server.requests())
        if (r.path == ChannelRequest::scriptPath)
            bodies.push_back(r.method + " " + r.userAgent + " " + r.body);
    EXPECT_EQ(bodies, std::vector<std::string>(2, "POST PS id=22&f=2&m=00:11:22:33:44:55"));
}
