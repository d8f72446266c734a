#include "eMatchrayChoice.h"

#include <gtest/gtest.h>

#include "EntryRecorder.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"
#include "eTextPara.h"

TEST(Choice, DrawsEachStateAsItsSnapshotAndLoadsNoPictureFromElsewhere) {
    TempRoot root;
    EntryRecorder recorder;
    const auto drawn = [&](eMatchrayChoice& entry, const eRect& rect, int state = 0) {
        return recorder.text(entry, rect, state);
    };
    for (const char* path : {"/var/tuxbox/config/pitchside/countries/aa.png",
                             "/var/tuxbox/config/pitchside/countries/bb.png", "/tmp/fix1.png",
                             "/tmp/sub/p.png", "/var/tuxbox/config/pitchside/x.png"})
        root.writeFile(path, TestFiles::png());
    eMatchrayChoice entry(nullptr,
                          {9, "Northland - Southland", "aa", "fix1.png", "bb", "Sat 20:45"});
    eMatchrayChoice missing(nullptr, {9, "Northland - Southland", "zz", "gone.png", "bb", ""});
    const long layouts = eTextPara::layoutCount();
    // Taller: the texts keep their first layout, the pictures follow the bottom edge.
    std::string shown = "font " + eMatchrayChoice::fontf.family + " " +
                        std::to_string(eMatchrayChoice::fontf.pointSize) + "\n";
    shown += drawn(entry, eRect(0, 100, 520, 50));
    shown += "selected, taller:\n" + drawn(entry, eRect(0, 200, 520, 80), 1);
    shown += "missing pictures:\n" + drawn(missing, eRect(0, 0, 520, 50));
    expectSnapshot("mainwindow-entry", shown);
    EXPECT_EQ(eTextPara::layoutCount() - layouts, 4);
    // Each of these names would reach a real picture if it were used as it is.
    for (const char* picture : {"sub/p.png", "..", ".", "/tmp/fix1.png"}) {
        eMatchrayChoice unsafe(nullptr, {9, "T", "../x", picture, "../countries/aa", ""});
        EXPECT_EQ(drawn(unsafe, eRect(0, 0, 520, 50)).find("\np "), std::string::npos) << picture;
    }
}
