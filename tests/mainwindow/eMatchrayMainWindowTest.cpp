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

TEST(MainWindow, FiltersByColourKeyOpensTheChosenMatchAndCleansUp) {
    TempRoot root;
    LoopbackServer server;
    for (const char* key : {"/matchray/listings_host", "/matchray/pictures_host"})
        eConfig::instance()->setKey(key, server.hostPort().c_str());
    root.writeFile("/tmp/pic.png", TestFiles::png());
    root.writeFile("/tmp/old.png", TestFiles::png());
    installFlags(root, {"aa", "bb"});
    std::vector<TestFiles::Match> matches;
    for (std::string key : {"1.0w", "13.0e", "16.0e", "19.2e", "28.2e"})
        matches.push_back({static_cast<int>(matches.size()), "On " + key, "pic.png", "20:45", "aa",
                           "bb", key.insert(key.size() - 1, "#")});
    root.writeFile("/tmp/psn", TestFiles::listings(matches));
    const long decoded = PictureCache::decodeCount();
    std::string shown, before;  // every dump, and the last one
    LoopSteps script;
    // The key in force keeps the list as it is, with its current entry.
    for (eKey key : {eKey::red, eKey::green, eKey::yellow, eKey::blue, eKey::down, eKey::blue,
                     eKey::red, eKey::yellow, eKey::down})
        script.steps.insert(script.steps.end(),
                            {press(key), [&] { shown += before = eDesktop::instance().dump(); }});
    // Per answer: the channels the detail window lists, or -1 when the choice ends silently.
    const std::pair<std::string, int> answers[] = {
        {"2\n7#1#One#13.0#e#1#V#1#1#x#1\n7#2#Two#19.2#e#1#V#1#1#x#0\n", 2},
        {"0\n", 0},
        {"uncreatable", -1}};
    for (const auto& [body, channels] : answers) {
        script.steps.push_back([&, body = body] {
            if (body == "uncreatable") std::filesystem::create_directories(root.real("/tmp/psn"));
            server.answer(ChannelRequest::scriptPath, answer(body));
        });
        script.steps.push_back(press(eKey::ok));
        script.steps.push_back([&, channels = channels] {
            const std::string dump = eDesktop::instance().dump();
            EXPECT_EQ(showsDetailWindow(dump), channels >= 0) << dump;
            if (channels < 0) return;
            EXPECT_EQ(entryLines(dump).size(), static_cast<size_t>(channels)) << dump;
            press(eKey::exit)();
        });
        script.steps.push_back([&] {  // back in the main window as it was
            EXPECT_EQ(eDesktop::instance().dump(), before);
            EXPECT_TRUE(bThreadSponsorRunning);
        });
    }
    NoticeTicker::setPeriod(600000);  // the ticker keeps still, so dumps show the same window
    auto window = std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
    window->show();
    EXPECT_EQ(window->exec(), -1);
    NoticeTicker::setPeriod(2500);
    for (eWidget* child : window->getChildren()) {  // what the dumps leave out
        shown += std::string(child->kind()) + " " + child->getShortcut() + " " +
                 child->getFont().family + " " + std::to_string(child->getFont().pointSize) + "\n";
        if (std::string(child->kind()) != "eLabel") continue;
        for (const eString& row : sponsor_message) {  // every ticker row fits on one line
            const eTextParaPtr para = layoutPara(child->getAbsoluteClientRect(), child->getFont(),
                                                 row, eTextPara::dirCenter);
            EXPECT_EQ(para->getLineCount(), 1) << row;
        }
    }
    expectSnapshot("mainwindow-window", shown);
    // A stale picture went; a picture still named was not fetched again, only the channels.
    EXPECT_FALSE(root.exists("/tmp/old.png"));
    for (const LoopbackServer::Request& r : server.requests())
        EXPECT_EQ(r.bytes, postBytes(server, ChannelRequest::scriptPath, "PS",
                                     "id=2&f=2&m=00:11:22:33:44:55"));
    EXPECT_EQ(server.requests().size(), 2u);
    // Closing ends the ticker; the pictures, decoded once for all filters, go with the window.
    EXPECT_FALSE(bThreadSponsorRunning);
    EXPECT_EQ(PictureCache::decodeCount() - decoded, 3);
    window.reset();
    EXPECT_EQ(PictureCache::size(), 0u);
}
