#include "eMatchrayDetailWindow.h"

#include <gtest/gtest.h>

#include "EntryRecorder.h"
#include "LoopSteps.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"
#include "eDesktop.h"
#include "eMatchrayDetailChoice.h"
#include "eTextPara.h"

namespace {

match_ray_channels channel(const char* name, const char* encryption = "Crypt A", int hd = 0) {
    return {1, 2, name, "13.0", "e", "11013", "H", 27500, "3/4", encryption, hd};
}

// A root with the HD and free-to-air icons, and a recorder for channel entries.
class DetailEntry : public testing::Test {
protected:
    DetailEntry() {
        const std::string images = MATCHRAY_SOURCE_DIR "/data/images/";
        root.writeFile(eMatchrayDetailChoice::hdIconPath, readBinary(images + "hd.png"));
        root.writeFile(eMatchrayDetailChoice::ftaIconPath, readBinary(images + "fta.png"));
    }
    std::string draw(eMatchrayDetailChoice& entry, int state = 0) {
        return recorder.text(entry, eRect(0, 100, 520, 50), state);
    }

    TempRoot root;
    EntryRecorder recorder;
};

TEST_F(DetailEntry, DrawsAsItsSnapshot) {
    eMatchrayDetailChoice shown(nullptr, channel("Sport One", "Free To Air", 1)),
        bare(nullptr, {1, 2, "Sport One", "13.0", "e", "11013", "H", 27500, "", "", 0});
    const gFont& font = eMatchrayDetailChoice::fontf;
    expectSnapshot("detail-channel-entry",
                   "font " + font.family + " " + std::to_string(font.pointSize) + "\n" +
                       draw(shown) + "selected, without fec and encryption:\n" + draw(bare, 1));
}

TEST_F(DetailEntry, LaysOutItsTextsOnce) {
    eMatchrayDetailChoice entry(nullptr, channel("Sport One", "Free To Air", 1));
    draw(entry);
    const long before = eTextPara::layoutCount();
    draw(entry, 1);
    EXPECT_EQ(eTextPara::layoutCount(), before);
}

// "Free To Air" as it is, or "FTA" anywhere; the snapshot has the first.
TEST_F(DetailEntry, KnowsFreeToAirByItsTwoSpellings) {
    for (const char* text : {"FTA", "xFTAy", "", "free to air", "Free To Air ", "Fta"})
        EXPECT_EQ(eMatchrayDetailChoice::isFreeToAir(text), strstr(text, "FTA") != nullptr) << text;
}

TEST_F(DetailEntry, HdIconNeedsAFlagOfOneAndItsFile) {
    for (int hd : {0, 2, -1, 1}) {
        if (hd == 1) std::remove(root.real(eMatchrayDetailChoice::hdIconPath).c_str());
        eMatchrayDetailChoice entry(nullptr, channel("A", "FTA", hd));
        EXPECT_EQ(draw(entry).find("/hd.png"), std::string::npos) << hd;
    }
}

// A window of three channels; the list it was given changes afterwards.
class DetailWindow : public testing::Test {
protected:
    DetailWindow() {
        window.show();
        channels.front().name = "changed";
        channels.push_back(channel("later"));
    }
    ~DetailWindow() override { window.hide(); }

    TempRoot root;
    std::list<match_ray_channels> channels = {channel("B"), channel("A", "FTA", 1), channel("B")};
    eMatchrayDetailWindow window{channels};
};

TEST_F(DetailWindow, ShowsItsOwnCopyOfTheChannels) {
    expectSnapshot("detail-window", eDesktop::instance().dump());
}

// Ok changes nothing.
TEST_F(DetailWindow, OnlyExitClosesIt) {
    const std::string shown = eDesktop::instance().dump();
    LoopSteps steps({press(eKey::ok),
                     [&] {
                         EXPECT_TRUE(window.isInExec());
                         EXPECT_EQ(eDesktop::instance().dump(), shown);
                     },
                     press(eKey::exit)});
    EXPECT_EQ(window.exec(), -1);
}

}  // namespace
