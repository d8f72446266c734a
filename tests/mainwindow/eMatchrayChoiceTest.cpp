#include "eMatchrayChoice.h"

#include <gtest/gtest.h>

#include <memory>

#include "EntryRecorder.h"
#include "PictureCache.h"
#include "TempRoot.h"
#include "eSkin.h"
#include "eTextPara.h"

namespace {

const char* const countries = "/var/tuxbox/config/pitchside/countries/";

const std::string hdIcon = readBinary(std::string(MATCHRAY_SOURCE_DIR) + "/data/images/hd.png");
const std::string ftaIcon = readBinary(std::string(MATCHRAY_SOURCE_DIR) + "/data/images/fta.png");

class MatchEntry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(hdIcon.empty());
        root.writeFile(std::string(countries) + "aa.png", ftaIcon);
        root.writeFile(std::string(countries) + "bb.png", ftaIcon);
        root.writeFile("/tmp/fix1.png", hdIcon);
    }

    static matchray_matches match(const char* country1 = "aa", const char* picture = "fix1.png",
                                  const char* country2 = "bb") {
        matchray_matches m;
        m.id = 9;
        m.title = "Northland - Southland";
        m.country1 = country1;
        m.picture = picture;
        m.country2 = country2;
        m.kickoff = "Sat 20:45";
        return m;
    }

    // The texts and pictures that one redraw drew.
    std::vector<gDrawOp> draw(eMatchrayChoice& entry, const eRect& rect, int state = 0) {
        std::vector<gDrawOp> drawn;
        for (const gDrawOp& op : recorder.draw(entry, rect, state).operations())
            if (op.kind == gDrawOp::Kind::text || op.kind == gDrawOp::Kind::picture)
                drawn.push_back(op);
        return drawn;
    }

    TempRoot root;
    EntryRecorder recorder;
    const gDrawRecord& record = recorder.record();
    const gColor activeB = recorder.activeB, activeF = recorder.activeF;
    const gColor normalB = recorder.normalB, normalF = recorder.normalF;
};

void expectOp(const gDrawOp& op, gDrawOp::Kind kind, const std::string& text, const eRect& area) {
    EXPECT_EQ(op.kind, kind);
    EXPECT_EQ(op.text, text);
    EXPECT_EQ(op.area, area) << op.text << " at " << op.area.left() << "," << op.area.top()
                             << " size " << op.area.width() << "x" << op.area.height();
}

}  // namespace

TEST_F(MatchEntry, DrawsTextsThenPicturesAtTheirPlaces) {
    eMatchrayChoice entry(nullptr, match());
    const auto ops = draw(entry, eRect(0, 100, 520, 50));
    ASSERT_EQ(ops.size(), 5u) << record.describe();
    // Both texts at top + 5, with areas of height H - 30.
    expectOp(ops[0], gDrawOp::Kind::text, "Sat 20:45", eRect(0, 105, 100, 20));
    expectOp(ops[1], gDrawOp::Kind::text, "Northland - Southland", eRect(110, 105, 410, 20));
    // Pictures at x 0, 30 and 310 on bottom - 20, in their own sizes.
    expectOp(ops[2], gDrawOp::Kind::picture, std::string(countries) + "aa.png",
             eRect(0, 130, 44, 22));
    expectOp(ops[3], gDrawOp::Kind::picture, "/tmp/fix1.png", eRect(30, 130, 44, 22));
    expectOp(ops[4], gDrawOp::Kind::picture, std::string(countries) + "bb.png",
             eRect(310, 130, 44, 22));
    EXPECT_EQ(ops[0].color, normalF);
    EXPECT_EQ(ops[1].color, normalF);
    EXPECT_EQ(recorder.returned, "Northland - Southland");
    // The background comes first, from the list's colours.
    ASSERT_FALSE(record.operations().empty());
    EXPECT_EQ(record.operations().front().kind, gDrawOp::Kind::fill);
    EXPECT_EQ(record.operations().front().color, normalB);
}

TEST_F(MatchEntry, SelectedEntryKeepsTheLayout) {
    eMatchrayChoice entry(nullptr, match());
    const auto normal = draw(entry, eRect(0, 0, 520, 50), 0);
    const auto selected = draw(entry, eRect(0, 0, 520, 50), 1);
    ASSERT_EQ(normal.size(), selected.size());
    for (size_t i = 0; i < normal.size(); ++i) {
        EXPECT_EQ(normal[i].area, selected[i].area);
        EXPECT_EQ(normal[i].text, selected[i].text);
    }
    EXPECT_EQ(selected[0].color, activeF);
    EXPECT_EQ(selected[1].color, activeF);
    EXPECT_EQ(record.operations().front().color, activeB);
}

TEST_F(MatchEntry, MissingPicturesAreSkippedAndTheRestIsDrawn) {
    matchray_matches m = match("zz", "gone.png", "bb");
    m.kickoff = "";
    eMatchrayChoice entry(nullptr, m);
    const auto ops = draw(entry, eRect(0, 0, 520, 50));
    ASSERT_EQ(ops.size(), 3u) << record.describe();
    expectOp(ops[0], gDrawOp::Kind::text, "", eRect(0, 5, 100, 20));
    expectOp(ops[1], gDrawOp::Kind::text, "Northland - Southland", eRect(110, 5, 410, 20));
    expectOp(ops[2], gDrawOp::Kind::picture, std::string(countries) + "bb.png",
             eRect(310, 30, 44, 22));
}

TEST_F(MatchEntry, UnsafePictureNamesAreNeverLoaded) {
    // Each of these would reach a real picture if the name were used as it is.
    root.writeFile("/tmp/sub/p.png", hdIcon);
    root.writeFile("/var/tuxbox/config/pitchside/x.png", hdIcon);
    for (const char* picture : {"sub/p.png", "..", ".", "/tmp/fix1.png"}) {
        SCOPED_TRACE(picture);
        eMatchrayChoice entry(nullptr, match("../x", picture, "../countries/aa"));
        const auto ops = draw(entry, eRect(0, 0, 520, 50));
        EXPECT_EQ(ops.size(), 2u) << record.describe();
    }
}

TEST_F(MatchEntry, ParagraphsAreLaidOutOnceForTheFirstRectangle) {
    eMatchrayChoice entry(nullptr, match());
    const long before = eTextPara::layoutCount();
    draw(entry, eRect(0, 0, 520, 50));
    EXPECT_EQ(eTextPara::layoutCount() - before, 2);

    // Another height: the texts keep their first layout at top + 5 of the new
    // rectangle, and the pictures follow the new bottom edge.
    const auto ops = draw(entry, eRect(0, 200, 520, 80));
    EXPECT_EQ(eTextPara::layoutCount() - before, 2);
    ASSERT_EQ(ops.size(), 5u);
    expectOp(ops[0], gDrawOp::Kind::text, "Sat 20:45", eRect(0, 205, 100, 20));
    expectOp(ops[1], gDrawOp::Kind::text, "Northland - Southland", eRect(110, 205, 410, 20));
    expectOp(ops[3], gDrawOp::Kind::picture, "/tmp/fix1.png", eRect(30, 260, 44, 22));
}

TEST_F(MatchEntry, FontIsTheSkinsFixedFontAtSize16) {
    eMatchrayChoice first(nullptr, match());
    EXPECT_EQ(eMatchrayChoice::fontf.pointSize, 16);
    EXPECT_EQ(eMatchrayChoice::fontf.family, eSkin::getActive()->queryFont("global.fixed").family);
    eMatchrayChoice second(nullptr, match());
    EXPECT_EQ(eMatchrayChoice::fontf.pointSize, 16);
}

TEST_F(MatchEntry, EntriesShareTheirPictures) {
    const long before = PictureCache::decodeCount();
    std::vector<std::unique_ptr<eMatchrayChoice>> entries;
    for (int i = 0; i < 100; ++i)
        entries.push_back(std::make_unique<eMatchrayChoice>(nullptr, match()));
    EXPECT_EQ(PictureCache::decodeCount() - before, 3);
    for (auto& entry : entries) EXPECT_EQ(draw(*entry, eRect(0, 0, 520, 50)).size(), 5u);
}
