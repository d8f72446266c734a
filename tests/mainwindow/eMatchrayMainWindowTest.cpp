#include "eMatchrayMainWindow.h"

#include <gtest/gtest.h>

#include <memory>

#include "PictureCache.h"
#include "WindowTestKit.h"
#include "eDesktop.h"
#include "eMatchrayChoice.h"
#include "eSkin.h"

namespace {

const char* const highlightNames[4] = {"std_dred", "std_dgreen", "std_dyellow", "std_dblue"};

gColor skinColor(const char* name) {
    return eSkin::getActive()->queryColor(name);
}

// Runs the window modally through the steps; the last step should close it.
int runWindow(eMatchrayMainWindow& window, std::vector<std::function<void()>> steps) {
    window.show();
    const int result = execWithSteps(window, std::move(steps));
    window.hide();
    return result;
}

class MainWindow : public ::testing::Test {
protected:
    std::unique_ptr<eMatchrayMainWindow> open() {
        return std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
    }

    // Exactly the button of the filter in force shows its colour; the others
    // show the buttons' normal background.
    void expectHighlight(eMatchrayMainWindow& window, int filter) {
        const std::vector<eButton*> buttons = buttonsOf(&window);
        ASSERT_EQ(buttons.size(), 4u);
        EXPECT_EQ(window.getFilter(), filter);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(buttons[i]->getBackgroundColor(),
                      i == filter ? skinColor(highlightNames[i]) : normalButton);
        }
    }

    WindowRig rig;
    gColor normalButton = skinColor("eButton.background");
};

}  // namespace

TEST_F(MainWindow, BuildsItsWidgetsWhereTheyBelong) {
    rig.writeListings({makeMatch(1, "One")}, {makeSatellite(1, "13.0", "e")});
    auto window = open();

    EXPECT_EQ(window->getAbsoluteClientRect(), eRect(100, 100, 520, 376));
    EXPECT_EQ(window->getText(), "Match Ray");

    const std::vector<eButton*> buttons = buttonsOf(window.get());
    ASSERT_EQ(buttons.size(), 4u);
    const int xs[4] = {8, 136, 264, 392};
    const char* captions[4] = {"All", "1w, 13,16,19e", "13,16,19e", "13,19e"};
    const char* keys[4] = {"red", "green", "yellow", "blue"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i]->getPosition(), ePoint(xs[i], 0));
        EXPECT_EQ(buttons[i]->getSize(), eSize(120, 40));
        EXPECT_EQ(buttons[i]->getText(), captions[i]);
        EXPECT_EQ(buttons[i]->getShortcut(), keys[i]);
        EXPECT_EQ(buttons[i]->getFont().pointSize, 20);
    }
    expectHighlight(*window, 0);
    EXPECT_TRUE(buttons[0]->hasBackgroundColor());
    EXPECT_FALSE(buttons[1]->hasBackgroundColor());

    eListBox<eMatchrayChoice>* list = listOf(window.get());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->getPosition(), ePoint(0, 45));
    EXPECT_EQ(list->getSize(), eSize(520, 316));
    EXPECT_EQ(list->getItemHeight(), 50);
    EXPECT_EQ(window->getFocus(), list);

    eLabel* ticker = tickerOf(window.get());
    ASSERT_NE(ticker, nullptr);
    EXPECT_EQ(ticker->getPosition(), ePoint(0, 346));
    EXPECT_EQ(ticker->getSize(), eSize(520, 30));
    EXPECT_EQ(ticker->getText(), "");
    EXPECT_EQ(ticker->getProperty("align"), "center");
    EXPECT_EQ(ticker->getForegroundColor(), skinColor("std_dyellow"));
    EXPECT_EQ(ticker->getFont().pointSize, 20);
    // The label comes after the list, so it is drawn over the list's last rows.
    const auto& children = window->getChildren();
    EXPECT_LT(std::find(children.begin(), children.end(), list),
              std::find(children.begin(), children.end(), ticker));
}

TEST_F(MainWindow, DumpShowsTheWindowAsTheUserSeesIt) {
    rig.writeListings({makeMatch(1, "One", "", "", "", "18:00")}, {makeSatellite(1, "13.0", "e")});
    auto window = open();
    window->show();
    const std::string dump = eDesktop::instance().dump();
    window->hide();
    EXPECT_NE(dump.find("\"Match Ray\" at 100,100 size 520x376"), std::string::npos) << dump;
    EXPECT_NE(dump.find("eButton \"\" \"All\" at 8,0 size 120x40 bg=std_dred"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("eButton \"\" \"13,19e\" at 392,0 size 120x40"), std::string::npos) << dump;
    EXPECT_NE(dump.find("eListBox \"choices\" \"\" at 0,45 size 520x316"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("* entry 0: 18:00 | One"), std::string::npos) << dump;
    EXPECT_NE(dump.find("eLabel \"\" \"\" at 0,346 size 520x30 fg=std_dyellow align=center"),
              std::string::npos)
        << dump;
}

TEST_F(MainWindow, ColourKeysFilterTheListAndMoveTheHighlight) {
    rig.writeListings(
        {makeMatch(1, "West only"), makeMatch(2, "Sixteen"), makeMatch(3, "Thirteen"),
         makeMatch(4, "Nineteen"), makeMatch(5, "Astra two"), makeMatch(6, "Capital E"),
         makeMatch(7, "Two birds"), makeMatch(8, "No satellite"), makeMatch(9, "Twin a"),
         makeMatch(9, "Twin b")},
        {makeSatellite(1, "1.0", "w"), makeSatellite(2, "16.0", "e"), makeSatellite(3, "13.0", "e"),
         makeSatellite(4, "19.2", "e"), makeSatellite(5, "28.2", "e"),
         makeSatellite(6, "13.0", "E"), makeSatellite(7, "13.0", "e"),
         makeSatellite(7, "19.2", "e"), makeSatellite(9, "16.0", "e"),
         makeSatellite(42, "13.0", "e")});
    auto window = open();
    eMatchrayMainWindow& w = *window;
    using Titles = std::vector<std::string>;
    const Titles all = {"West only", "Sixteen",   "Thirteen", "Nineteen", "Astra two",
                        "Capital E", "Two birds", "Twin a",   "Twin b"};
    const Titles green = {"West only", "Sixteen", "Thirteen", "Nineteen",
                          "Two birds", "Twin a",  "Twin b"};
    const Titles yellow = {"Sixteen", "Thirteen", "Nineteen", "Two birds", "Twin a", "Twin b"};
    const Titles blue = {"Thirteen", "Nineteen", "Two birds"};

    auto press = [](eKey key) { return [key] { eDesktop::instance().handleKey(key); }; };
    auto expectList = [&](const Titles& titles, int filter) {
        return [&, titles, filter] {
            EXPECT_EQ(titlesOf(&w), titles) << "filter " << filter;
            expectHighlight(w, filter);
            EXPECT_EQ(w.getFocus(), listOf(&w));
        };
    };
    eListBoxEntry* firstBlue = nullptr;
    const int result = runWindow(
        w, {expectList(all, 0), press(eKey::green), expectList(green, 1), press(eKey::yellow),
            expectList(yellow, 2), press(eKey::blue), expectList(blue, 3),
            [&] {
                firstBlue = listOf(&w)->getEntry(0);
                // Pressing the key in force only puts the focus back on the list.
                w.setFocus(buttonsOf(&w)[2]);
            },
            press(eKey::blue),
            [&] {
                EXPECT_EQ(listOf(&w)->getEntry(0), firstBlue);
                expectList(blue, 3)();
            },
            // Blue to red: red takes its highlight, blue the normal background.
            press(eKey::red), expectList(all, 0), press(eKey::exit)});
    EXPECT_EQ(result, -1);
}

TEST_F(MainWindow, FilterChangesDecodeNoPictureAgain) {
    std::vector<matchray_matches> matches;
    std::vector<matchray_satellites> satellites;
    for (int i = 0; i < 200; ++i) {
        matches.push_back(makeMatch(i, "Match " + std::to_string(i), "pic.png", "aa", "bb"));
        satellites.push_back(makeSatellite(i, i % 2 ? "13.0" : "1.0", i % 2 ? "e" : "w"));
    }
    rig.writeListings(matches, satellites);
    rig.install("/tmp/pic.png", "data/images/hd.png");
    rig.install("/var/tuxbox/config/pitchside/countries/aa.png", "data/images/fta.png");
    rig.install("/var/tuxbox/config/pitchside/countries/bb.png", "data/images/hd.png");
    const long before = PictureCache::decodeCount();
    auto window = open();
    EXPECT_EQ(PictureCache::decodeCount() - before, 3);
    window->clickBtn3();
    window->clickBtn1();
    window->clickBtn0();
    EXPECT_EQ(titlesOf(window.get()).size(), 200u);
    EXPECT_EQ(PictureCache::decodeCount() - before, 3);
    // The pictures go with the window.
    window.reset();
    EXPECT_EQ(PictureCache::size(), 0u);
}

TEST_F(MainWindow, WithoutSatellitesTheListIsEmptyAndTheKeysStillWork) {
    rig.writeListings({makeMatch(1, "One"), makeMatch(2, "Two")}, {});
    auto window = open();
    EXPECT_TRUE(titlesOf(window.get()).empty());
    expectHighlight(*window, 0);
    EXPECT_TRUE(bThreadSponsorRunning);
    window->clickBtn2();
    EXPECT_TRUE(titlesOf(window.get()).empty());
    expectHighlight(*window, 2);
}

TEST_F(MainWindow, MalformedListingsStillGiveACompleteWindow) {
    // The second match line is cut short; the first record stays, without satellites.
    rig.root.writeFile("/tmp/psn", "2\n1#One#aa#p.png#bb#18:00\n");
    auto window = open();
    EXPECT_FALSE(rig.root.exists("/tmp/psn"));
    EXPECT_EQ(buttonsOf(window.get()).size(), 4u);
    EXPECT_NE(listOf(window.get()), nullptr);
    EXPECT_TRUE(titlesOf(window.get()).empty());
    EXPECT_NE(tickerOf(window.get()), nullptr);
}

TEST_F(MainWindow, StalePicturesGoBeforeTheDownload) {
    rig.writeListings({makeMatch(1, "One", "kept.png")}, {makeSatellite(1, "13.0", "e")});
    rig.install("/tmp/kept.png", "data/images/hd.png");
    rig.install("/tmp/old.png", "data/images/hd.png");
    rig.root.writeFile("/tmp/notes.txt", "x");
    rig.root.writeFile("/tmp/a.png.txt", "x");
    auto window = open();
    EXPECT_TRUE(rig.root.exists("/tmp/kept.png"));
    EXPECT_FALSE(rig.root.exists("/tmp/old.png"));
    EXPECT_TRUE(rig.root.exists("/tmp/notes.txt"));
    EXPECT_TRUE(rig.root.exists("/tmp/a.png.txt"));
    for (const LoopbackServer::Request& request : rig.server.requests())
        EXPECT_NE(request.path, "/fix/kept.png");
    // The kept picture is the one the entry shows.
    window->show();
    eDesktop::instance().dump();
    window->hide();
    EXPECT_NE(
        listOf(window.get())->getEntry(0)->lastDraw().describe().find("[picture /tmp/kept.png]"),
        std::string::npos);
}
