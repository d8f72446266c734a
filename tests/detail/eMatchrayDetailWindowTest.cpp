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
    // The draw record, one line per drawing: "KIND TEXT at X,Y WxH COLOUR [SKIN NAME]".
    std::string draw(const match_ray_channels& c, int state = 0) {
        eMatchrayDetailChoice entry(nullptr, c);
        std::string text;
        for (const gDrawOp& op : recorder.draw(entry, eRect(0, 100, 520, 50), state).operations()) {
            const char* name = eSkin::getActive()->colorName(op.color);
            char line[512];
            snprintf(line, sizeof line, "%c %s at %d,%d %dx%d #%08X %s\n", "fltp"[int(op.kind)],
                     op.text.c_str(), op.area.left(), op.area.top(), op.area.width(),
                     op.area.height(), op.color.argb, name ? name : "");
            text += line;
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
    for (const char* fta : {"Free To Air", "FTA", "xFTAy"})
        EXPECT_TRUE(eMatchrayDetailChoice::isFreeToAir(fta)) << fta;
    for (const char* other : {"", "Crypt A", "free to air", "Free To Air ", "Fta"})
        EXPECT_FALSE(eMatchrayDetailChoice::isFreeToAir(other)) << other;
    // The snapshot has both icons; the HD icon needs a flag of 1, and its file.
    for (int hd : {0, 2, -1})
        EXPECT_EQ(draw(channel("A", "FTA", hd)).find("/hd.png"), std::string::npos) << hd;
    std::remove(root.real(eMatchrayDetailChoice::hdIconPath).c_str());
    EXPECT_EQ(draw(channel("A", "FTA", 1)).find("/hd.png"), std::string::npos) << "none on file";
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
