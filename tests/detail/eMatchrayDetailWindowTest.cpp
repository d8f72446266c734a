#include "eMatchrayDetailWindow.h"

#include <gtest/gtest.h>

#include "EntryRecorder.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "eDesktop.h"
#include "eMainLoop.h"
#include "eMatchrayDetailChoice.h"
#include "eSkin.h"
#include "eTextPara.h"

namespace {

match_ray_channels channel(const char* name, const char* encryption = "Crypt A", int hd = 0) {
    return {1, 2, name, "13.0", "e", "11013", "H", 27500, "3/4", encryption, hd};
}

class DetailEntry : public testing::Test {
protected:
    void SetUp() override {
        const std::string images = MATCHRAY_SOURCE_DIR "/data/images/";
        root.writeFile(eMatchrayDetailChoice::hdIconPath, readBinary(images + "hd.png"));
        root.writeFile(eMatchrayDetailChoice::ftaIconPath, readBinary(images + "fta.png"));
    }
    // The draw record, one line per drawing: "KIND TEXT at X,Y WxH COLOUR".
    std::string draw(const match_ray_channels& c, int state = 0, eRect rect = {0, 100, 520, 50}) {
        eMatchrayDetailChoice entry(nullptr, c);
        recorder.draw(entry, rect, state);
        std::string text;
        for (const gDrawOp& op : recorder.record().operations()) {
            const char* name = eSkin::getActive()->colorName(op.color);
            const gColor own[] = {recorder.activeB, recorder.activeF, recorder.normalB,
                                  recorder.normalF};
            const char* owns[] = {"activeB", "activeF", "normalB", "normalF"};
            for (int i = 0; i < 4; ++i)
                if (op.color == own[i]) name = owns[i];
            text += "fltp"[int(op.kind)] + (" " + op.text) + " at " +
                    std::to_string(op.area.left()) + "," + std::to_string(op.area.top()) + " " +
                    std::to_string(op.area.width()) + "x" + std::to_string(op.area.height()) + " " +
                    (op.kind == gDrawOp::Kind::picture ? ""
                     : name                            ? name
                                                       : "?") +
                    "\n";
        }
        return text;
    }
    TempRoot root;
    EntryRecorder recorder;
};

TEST_F(DetailEntry, DrawsAsItsSnapshot) {
    expectSnapshot("detail-channel-entry",
                   draw(channel("Sport One", "Free To Air", 1)) +
                       "selected, without fec and encryption:\n" +
                       draw({1, 2, "Sport One", "13.0", "e", "11013", "H", 27500, "", "", 0}, 1));
}

TEST_F(DetailEntry, IconsFollowTheHdFlagAndTheEncryptionText) {
    const struct {
        const char* encryption;
        int hd;
        const char* icons;
    } cases[] = {
        {"Crypt A", 1, "hd "},     {"Crypt A", 2, ""},      {"Crypt A", -1, ""},
        {"Free To Air", 0, "fta"}, {"FTA", 0, "fta"},       {"xFTAy", 1, "hd fta"},
        {"free to air", 0, ""},    {"Free To Air ", 0, ""}, {"Fta", 0, ""},
    };
    for (const auto& c : cases) {
        const std::string drawn = draw(channel("A", c.encryption, c.hd));
        const std::string icons =
            std::string(drawn.find("/hd.png") != std::string::npos ? "hd " : "") +
            (drawn.find("/fta.png") != std::string::npos ? "fta" : "");
        EXPECT_EQ(icons, c.icons) << c.encryption << " hd " << c.hd;
    }
    std::remove(root.real(eMatchrayDetailChoice::hdIconPath).c_str());
    EXPECT_EQ(draw(channel("A", "FTA", 1)).find("/hd.png"), std::string::npos)
        << "a missing icon is not drawn";
}

TEST_F(DetailEntry, ParagraphsAreLaidOutOnceInTheFixedFont) {
    eMatchrayDetailChoice entry(nullptr, channel("A"));
    const long before = eTextPara::layoutCount();
    recorder.draw(entry, eRect(0, 0, 520, 50));
    recorder.draw(entry, eRect(0, 300, 600, 70));
    EXPECT_EQ(eTextPara::layoutCount() - before, 8);
    EXPECT_EQ(eMatchrayDetailChoice::fontf.pointSize, 16);
    EXPECT_EQ(eMatchrayDetailChoice::fontf.family,
              eSkin::getActive()->queryFont("global.fixed").family);
}

TEST(DetailWindow, ShowsACopyOfTheChannelsOkChangesNothingExitCloses) {
    TempRoot root;
    std::list<match_ray_channels> channels = {channel("B"), channel("A", "FTA", 1), channel("B")};
    eMatchrayDetailWindow window(channels);
    channels.front().name = "changed";
    channels.push_back(channel("later"));
    window.show();
    const std::string shown = eDesktop::instance().dump();
    expectSnapshot("detail-window", shown);
    eMainLoop::instance().post([&] {
        eDesktop::instance().handleKey(eKey::ok);
        EXPECT_TRUE(window.isInExec());
        EXPECT_EQ(eDesktop::instance().dump(), shown);
        eDesktop::instance().handleKey(eKey::exit);
    });
    EXPECT_EQ(window.exec(), -1);
    window.hide();
    eMatchrayDetailWindow empty({});
    empty.show();
    eMainLoop::instance().post([] { eDesktop::instance().handleKey(eKey::exit); });
    EXPECT_EQ(empty.exec(), -1);
}

}  // namespace
