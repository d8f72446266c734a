#include "eMatchrayChoice.h"

#include <gtest/gtest.h>

#include "EntryRecorder.h"
#include "Snapshot.h"
#include "TempRoot.h"
#include "TestFiles.h"
#include "eTextPara.h"

namespace {

// The flags aa and bb, the match picture fix1.png, and pictures that unsafe names would reach.
void installPictures(const TempRoot& root) {
    for (const char* path : {"/var/tuxbox/config/pitchside/countries/aa.png",
                             "/var/tuxbox/config/pitchside/countries/bb.png", "/tmp/fix1.png",
                             "/tmp/sub/p.png", "/var/tuxbox/config/pitchside/x.png"})
        root.writeFile(path, TestFiles::png());
}

const matchray_matches match{9, "Northland - Southland", "aa", "fix1.png", "bb", "Sat 20:45"};

// Taller: the texts keep their first layout, the pictures follow the bottom edge.
TEST(Choice, DrawsEachStateAsItsSnapshot) {
    TempRoot root;
    installPictures(root);
    EntryRecorder recorder;
    eMatchrayChoice entry(nullptr, match);
    eMatchrayChoice missing(nullptr, {9, "Northland - Southland", "zz", "gone.png", "bb", ""});
    std::string shown = "font " + eMatchrayChoice::fontf.family + " " +
                        std::to_string(eMatchrayChoice::fontf.pointSize) + "\n";
    shown += recorder.text(entry, eRect(0, 100, 520, 50));
    shown += "selected, taller:\n" + recorder.text(entry, eRect(0, 200, 520, 80), 1);
    shown += "missing pictures:\n" + recorder.text(missing, eRect(0, 0, 520, 50));
    expectSnapshot("mainwindow-entry", shown);
}

TEST(Choice, LaysOutItsTextsOnce) {
    TempRoot root;
    EntryRecorder recorder;
    eMatchrayChoice entry(nullptr, match);
    const long before = eTextPara::layoutCount();
    recorder.draw(entry, eRect(0, 100, 520, 50));
    recorder.draw(entry, eRect(0, 200, 520, 80), 1);
    EXPECT_EQ(eTextPara::layoutCount() - before, 2);
}

// Each of these names would reach a real picture if it were used as it is.
TEST(Choice, LoadsNoPictureOutsideItsFolders) {
    TempRoot root;
    installPictures(root);
    EntryRecorder recorder;
    for (const char* picture : {"sub/p.png", "..", ".", "/tmp/fix1.png"}) {
        eMatchrayChoice unsafe(nullptr, {9, "T", "../x", picture, "../countries/aa", ""});
        EXPECT_EQ(recorder.text(unsafe, eRect(0, 0, 520, 50)).find("\np "), std::string::npos)
            << picture;
    }
}

}  // namespace
