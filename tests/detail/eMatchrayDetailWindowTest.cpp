#include "eMatchrayDetailWindow.h"

#include <gtest/gtest.h>

#include "EntryRecorder.h"
#include "LoopSteps.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"
#include "eDesktop.h"
#include "eMatchrayDetailChoice.h"
#include "eSkin.h"
#include "eTextPara.h"

namespace {

match_ray_channels channel(const char* name, const char* encryption = "Crypt A", int hd = 0) {
    return {1, 2, name, "13.0", "e", "11013", "H", 27500, "3/4", encryption, hd};
}

TEST(DetailEntry, DrawsAsItsSnapshotLaidOutOnceWithIconsByRule) {
    TempRoot root;
    EntryRecorder recorder;
    const std::string images = MATCHRAY_SOURCE_DIR "/data/images/";
    root.writeFile(eMatchrayDetailChoice::hdIconPath, readBinary(images + "hd.png"));
    root.writeFile(eMatchrayDetailChoice::ftaIconPath, readBinary(images + "fta.png"));
    const auto draw = [&](eMatchrayDetailChoice& entry, int state = 0) {
        return recorder.text(entry, eRect(0, 100, 520, 50), state);
    };
    eMatchrayDetailChoice shown(nullptr, channel("Sport One", "Free To Air", 1)),
        bare(nullptr, {1, 2, "Sport One", "13.0", "e", "11013", "H", 27500, "", "", 0});
    const long before = eTextPara::layoutCount();
    expectSnapshot("detail-channel-entry",
                   draw(shown) + "selected, without fec and encryption:\n" + draw(bare, 1));
    draw(shown);
    EXPECT_EQ(eTextPara::layoutCount() - before, 16) << "each entry laid out once";
    const gFont& font = eMatchrayDetailChoice::fontf;
    EXPECT_EQ(font.family + " " + std::to_string(font.pointSize),
              eSkin::getActive()->queryFont("global.fixed").family + " 16");
    // "Free To Air" as it is, or "FTA" anywhere; the snapshot has the first.
    for (const char* text : {"FTA", "xFTAy", "", "free to air", "Free To Air ", "Fta"})
        EXPECT_EQ(eMatchrayDetailChoice::isFreeToAir(text), strstr(text, "FTA") != nullptr) << text;
    // The HD icon needs a flag of 1, and its file.
    for (int hd : {0, 2, -1, 1}) {
        if (hd == 1) std::remove(root.real(eMatchrayDetailChoice::hdIconPath).c_str());
        eMatchrayDetailChoice entry(nullptr, channel("A", "FTA", hd));
        EXPECT_EQ(draw(entry).find("/hd.png"), std::string::npos) << hd;
    }
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
    LoopSteps steps({press(eKey::ok), [&] {
                         EXPECT_TRUE(window.isInExec());
                         EXPECT_EQ(eDesktop::instance().dump(), shown);
                     }});
    EXPECT_EQ(window.exec(), -1);
    window.hide();
}

}  // namespace
