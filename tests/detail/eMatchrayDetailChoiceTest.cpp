#include "eMatchrayDetailChoice.h"

#include <gtest/gtest.h>

#include "EntryRecorder.h"
#include "TempRoot.h"
#include "eSkin.h"
#include "eTextPara.h"

namespace {

match_ray_channels channel(const char* encryption = "Crypt A", int hd = 0,
                           const char* fec = "3/4") {
    match_ray_channels c;
    c.id_a = 1;
    c.id_b = 2;
    c.name = "Sport One";
    c.sat_position = "13.0";
    c.sat_direction = "e";
    c.frequency = "11013";
    c.polarisation = "H";
    c.symbol_rate = 27500;
    c.fec = fec;
    c.encryption = encryption;
    c.hd = hd;
    return c;
}

class ChannelEntry : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string images = std::string(MATCHRAY_SOURCE_DIR) + "/data/images/";
        root.writeFile(eMatchrayDetailChoice::hdIconPath, readBinary(images + "hd.png"));
        root.writeFile(eMatchrayDetailChoice::ftaIconPath, readBinary(images + "fta.png"));
    }

    const std::vector<gDrawOp>& draw(eMatchrayDetailChoice& entry, const eRect& rect,
                                     int state = 0) {
        return recorder.draw(entry, rect, state).operations();
    }

    // The pictures of the last draw, as "PATH at X,Y".
    std::vector<std::string> pictures() const {
        std::vector<std::string> found;
        for (const gDrawOp& op : recorder.record().operations())
            if (op.kind == gDrawOp::Kind::picture)
                found.push_back(op.text + " at " + std::to_string(op.area.left()) + "," +
                                std::to_string(op.area.top()));
        return found;
    }

    TempRoot root;
    EntryRecorder recorder;
    const gColor activeB = recorder.activeB, activeF = recorder.activeF;
    const gColor normalB = recorder.normalB, normalF = recorder.normalF;
    const gColor label = eSkin::getActive()->queryColor("std_dblue");
};

}  // namespace

TEST_F(ChannelEntry, DrawsEightParagraphsTheSeparatorAndTheIcons) {
    eMatchrayDetailChoice entry(nullptr, channel("Free To Air", 1));
    const auto& ops = draw(entry, eRect(0, 100, 520, 50));

    struct Expected {
        gDrawOp::Kind kind;
        std::string text;
        eRect area;
        gColor color;
    };
    const Expected expected[] = {
        {gDrawOp::Kind::fill, "", eRect(0, 100, 520, 50), normalB},
        {gDrawOp::Kind::text, "13.0e", eRect(0, 105, 50, 20), normalF},
        {gDrawOp::Kind::text, "Sport One", eRect(55, 105, 415, 20), normalF},
        {gDrawOp::Kind::text, "freq:", eRect(0, 125, 50, 25), label},
        {gDrawOp::Kind::text, "11013H", eRect(55, 125, 60, 25), normalF},
        {gDrawOp::Kind::text, "symbol:", eRect(135, 125, 50, 25), label},
        {gDrawOp::Kind::text, "27500-3/4", eRect(190, 125, 70, 25), normalF},
        {gDrawOp::Kind::text, "enc:", eRect(265, 125, 40, 25), label},
        {gDrawOp::Kind::text, "Free To Air", eRect(310, 125, 160, 25), normalF},
        {gDrawOp::Kind::line, "", eRect::fromEdges(4, 149, 512, 149), label},
        {gDrawOp::Kind::picture, eMatchrayDetailChoice::hdIconPath, eRect(472, 101, 44, 22),
         normalF},
        {gDrawOp::Kind::picture, eMatchrayDetailChoice::ftaIconPath, eRect(472, 126, 44, 22),
         normalF},
    };
    ASSERT_EQ(ops.size(), std::size(expected)) << recorder.record().describe();
    for (size_t i = 0; i < ops.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ops[i].kind, expected[i].kind);
        EXPECT_EQ(ops[i].text, expected[i].text);
        EXPECT_EQ(ops[i].area, expected[i].area)
            << ops[i].area.left() << "," << ops[i].area.top() << " " << ops[i].area.width() << "x"
            << ops[i].area.height();
        if (ops[i].kind != gDrawOp::Kind::picture) {
            EXPECT_EQ(ops[i].color, expected[i].color);
        }
    }
    EXPECT_EQ(recorder.returned, "Sport One");
}

TEST_F(ChannelEntry, SelectedEntryDrawsOnlyTheTopLineInTheSelectedColour) {
    eMatchrayDetailChoice entry(nullptr, channel());
    const auto& ops = draw(entry, eRect(0, 0, 520, 50), 1);
    std::vector<gColor> texts;
    for (const gDrawOp& op : ops)
        if (op.kind == gDrawOp::Kind::text) texts.push_back(op.color);
    const std::vector<gColor> expected = {activeF, activeF, label, normalF,
                                          label,   normalF, label, normalF};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(ops.front().color, activeB);
}

TEST_F(ChannelEntry, SymbolTextAndEmptyFields) {
    eMatchrayDetailChoice entry(nullptr, channel("", 0, ""));
    draw(entry, eRect(0, 0, 520, 50));
    // "enc:" stays; the encryption column is empty; the symbol ends in "-".
    EXPECT_EQ(recorder.record().describe(),
              "13.0e | Sport One | freq: | 11013H | symbol: | 27500- | enc: | ");
}

TEST_F(ChannelEntry, IconsFollowTheHdFlagAndTheEncryptionText) {
    struct Case {
        const char* encryption;
        int hd;
        bool hdIcon, ftaIcon;
    };
    const Case cases[] = {
        {"Crypt A", 1, true, false},       {"Crypt A", 0, false, false},
        {"Crypt A", 2, false, false},      {"Crypt A", -1, false, false},
        {"Free To Air", 0, false, true},   {"free to air", 0, false, false},
        {"FREE TO AIR", 0, false, false},  {"FTA", 0, false, true},
        {"xFTAy", 1, true, true},          {"fta", 0, false, false},
        {"Free To Air ", 0, false, false}, {"Fta", 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.encryption) + " hd " + std::to_string(c.hd));
        eMatchrayDetailChoice entry(nullptr, channel(c.encryption, c.hd));
        draw(entry, eRect(0, 50, 520, 50));
        std::vector<std::string> expected;
        if (c.hdIcon)
            expected.push_back(std::string(eMatchrayDetailChoice::hdIconPath) + " at 472,51");
        if (c.ftaIcon)
            expected.push_back(std::string(eMatchrayDetailChoice::ftaIconPath) + " at 472,76");
        EXPECT_EQ(pictures(), expected);
    }
}

TEST_F(ChannelEntry, MissingIconsAreNotDrawn) {
    std::remove(root.real(eMatchrayDetailChoice::hdIconPath).c_str());
    eMatchrayDetailChoice entry(nullptr, channel("FTA", 1));
    draw(entry, eRect(0, 0, 520, 50));
    EXPECT_EQ(pictures(), std::vector<std::string>{std::string(eMatchrayDetailChoice::ftaIconPath) +
                                                   " at 472,26"});
}

TEST_F(ChannelEntry, ParagraphsAreLaidOutOnce) {
    eMatchrayDetailChoice entry(nullptr, channel());
    const long before = eTextPara::layoutCount();
    draw(entry, eRect(0, 0, 520, 50));
    EXPECT_EQ(eTextPara::layoutCount() - before, 8);
    const auto& ops = draw(entry, eRect(0, 300, 600, 70));
    EXPECT_EQ(eTextPara::layoutCount() - before, 8);
    // The first layout stays; offsets follow the new rectangle.
    EXPECT_EQ(ops[2].area, eRect(55, 305, 415, 20));
    EXPECT_EQ(eMatchrayDetailChoice::fontf.pointSize, 16);
    EXPECT_EQ(eMatchrayDetailChoice::fontf.family,
              eSkin::getActive()->queryFont("global.fixed").family);
}
