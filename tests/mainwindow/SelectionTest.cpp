// Choosing a match: the channel request, the answers it may get, and the way
// back into the unchanged match list.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "WindowTestKit.h"
#include "eDesktop.h"
#include "eMainLoop.h"
#include "eMatchrayChoice.h"
#include "eMatchrayDetailChoice.h"
#include "eMatchrayDetailWindow.h"
#include "eMatchrayMainWindow.h"
#include "eMessageBox.h"
#include "eSkin.h"

namespace {

const char* const twoChannels =
    "2\n"
    "1#2#Sport One HD#13.0#e#11013#H#27500#3/4#Free To Air#1\n"
    "1#3#Sport Two#19.2#e#11700#V#22000#5/6#Crypt A#0\n";

std::function<void()> press(eKey key) {
    return [key] { eDesktop::instance().handleKey(key); };
}

const char* const highlights[4] = {"std_dred", "std_dgreen", "std_dyellow", "std_dblue"};

eWidget* topModal() {
    return eDesktop::instance().topModal();
}

// The text of a message box, from its text label.
std::string messageText(eWidget* box) {
    for (eWidget* child : box->getChildren())
        if (child->getName() == "text") return child->getText();
    return "";
}

class Selection : public ::testing::Test {
protected:
    void SetUp() override {
        rig.install(eMatchrayDetailChoice::hdIconPath, "data/images/hd.png");
        rig.install(eMatchrayDetailChoice::ftaIconPath, "data/images/fta.png");
        open();
    }

    // A fresh window: the listings file is gone once a window has read it.
    void open() {
        window.reset();  // one main window at a time: they share the ticker's flag
        rig.writeListings({makeMatch(11, "First"), makeMatch(22, "Second"), makeMatch(33, "Third")},
                          {makeSatellite(11, "13.0", "e"), makeSatellite(22, "19.2", "e"),
                           makeSatellite(33, "28.2", "e")});
        window = std::make_unique<eMatchrayMainWindow>("00:11:22:33:44:55");
    }

    int run(std::vector<std::function<void()>> steps) {
        window->show();
        const int result = execWithSteps(*window, std::move(steps));
        window->hide();
        return result;
    }

    // The main window, as it was before a match was chosen.
    std::function<void()> expectMainWindowUnchanged(std::vector<std::string> titles, int filter,
                                                    bool answerRead = true) {
        return [this, titles, filter, answerRead] {
            eMatchrayMainWindow* w = window.get();
            EXPECT_EQ(topModal(), w);
            EXPECT_TRUE(w->isShown());
            EXPECT_EQ(titlesOf(w), titles);
            EXPECT_EQ(w->getFilter(), filter);
            EXPECT_EQ(buttonsOf(w)[filter]->getBackgroundColor(),
                      eSkin::getActive()->queryColor(highlights[filter]));
            EXPECT_EQ(w->getFocus(), listOf(w));
            EXPECT_TRUE(bThreadSponsorRunning);
            // Every path that reads the answer removes it.
            if (answerRead) {
                EXPECT_FALSE(rig.root.exists("/tmp/psn"));
            }
        };
    }

    WindowRig rig;
    std::unique_ptr<eMatchrayMainWindow> window;
};

}  // namespace

TEST_F(Selection, TheRequestCarriesMatchFilterAndDeviceThenTheChannelsShow) {
    rig.setChannelAnswer(200, twoChannels);
    run({press(eKey::yellow), press(eKey::down), press(eKey::ok),
         [&] {
             auto* detail = dynamic_cast<eMatchrayDetailWindow*>(topModal());
             ASSERT_NE(detail, nullptr);
             EXPECT_FALSE(window->isShown());
             EXPECT_TRUE(detail->isShown());
             const std::string dump = eDesktop::instance().dump();
             EXPECT_NE(dump.find("entry 0: 13.0e | Sport One HD | freq: | 11013H | symbol: | "
                                 "27500-3/4 | enc: | Free To Air | "
                                 "[picture /var/tuxbox/config/pitchside/images/matchray/hd.png] | "
                                 "[picture /var/tuxbox/config/pitchside/images/matchray/fta.png]"),
                       std::string::npos)
                 << dump;
             EXPECT_NE(dump.find("entry 1: 19.2e | Sport Two"), std::string::npos) << dump;
         },
         press(eKey::exit), expectMainWindowUnchanged({"First", "Second"}, 2),
         [&] {
             // The list keeps its current entry.
             EXPECT_EQ(listOf(window.get())->getCurrentIndex(), 1);
         },
         press(eKey::exit)});

    const auto requests = rig.channelRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, "id=22&f=2&m=00:11:22:33:44:55");
    EXPECT_EQ(requests[0].userAgent, "PS");
}

TEST_F(Selection, EveryChoiceMakesANewRequest) {
    rig.setChannelAnswer(200, twoChannels);
    run({press(eKey::ok), press(eKey::exit), press(eKey::down), press(eKey::ok), press(eKey::exit),
         press(eKey::exit)});
    const auto requests = rig.channelRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].body, "id=11&f=0&m=00:11:22:33:44:55");
    EXPECT_EQ(requests[1].body, "id=22&f=0&m=00:11:22:33:44:55");
}

TEST_F(Selection, AServerErrorGivesTheErrorBox) {
    rig.setChannelAnswer(404, "missing");
    run({press(eKey::ok),
         [&] {
             eWidget* box = topModal();
             ASSERT_NE(dynamic_cast<eMessageBox*>(box), nullptr);
             EXPECT_EQ(box->getText(), "Error");
             EXPECT_EQ(messageText(box), "Can't connect to server!");
         },
         press(eKey::ok), expectMainWindowUnchanged({"First", "Second", "Third"}, 0, false),
         press(eKey::exit)});
    EXPECT_EQ(rig.channelRequests().size(), 1u);
}

TEST_F(Selection, AShortOrEmptyAnswerOpensNothing) {
    for (const char* answer : {"", "3\n1#2#A#13.0#e#1#H#1#1#x#0\n", "many\n"}) {
        SCOPED_TRACE(answer);
        open();
        rig.setChannelAnswer(200, answer);
        run({press(eKey::ok), expectMainWindowUnchanged({"First", "Second", "Third"}, 0),
             press(eKey::exit)});
    }
}

TEST_F(Selection, ACountOfZeroOpensAnEmptyDetailWindow) {
    for (const char* answer : {"0\n", "-2\n"}) {
        SCOPED_TRACE(answer);
        open();
        rig.setChannelAnswer(200, answer);
        run({press(eKey::ok),
             [] {
                 auto* detail = dynamic_cast<eMatchrayDetailWindow*>(topModal());
                 ASSERT_NE(detail, nullptr);
                 EXPECT_EQ(detail->getText(), "Match Ray");
             },
             press(eKey::exit), expectMainWindowUnchanged({"First", "Second", "Third"}, 0),
             press(eKey::exit)});
    }
}

TEST_F(Selection, AnAnswerFileThatCantBeCreatedEndsTheChoiceSilently) {
    // A directory where the answer file should go: it can't be opened for writing.
    std::filesystem::create_directories(rig.root.real("/tmp/psn"));
    rig.setChannelAnswer(200, twoChannels);
    run({press(eKey::ok),
         [&] {
             EXPECT_EQ(topModal(), window.get());
             EXPECT_TRUE(rig.channelRequests().empty());
         },
         press(eKey::exit)});
}
