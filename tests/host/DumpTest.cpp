#include <gtest/gtest.h>

#include <memory>

#include "eButton.h"
#include "eDesktop.h"
#include "eLabel.h"
#include "eListBox.h"
#include "eSkin.h"
#include "eWindow.h"
#include "gPainter.h"

namespace {

class TextEntry : public eListBoxEntry {
public:
    TextEntry(eListBoxBase* list, const char* text) : eListBoxEntry(list), text(text) {}
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeB, gColor activeF,
                          gColor normalB, gColor normalF, int state) override {
        drawEntryRect(painter, rect, activeB, activeF, normalB, normalF, state);
        painter->line(ePoint(0, rect.bottom() - 1), ePoint(rect.width() - 1, rect.bottom() - 1));
        return text;
    }

private:
    eString text;
};

// An entry that records a text and a picture the way the plug-in's entries do.
class RecordingEntry : public TextEntry {
public:
    using TextEntry::TextEntry;
    const eString& redraw(gPainter* painter, const eRect& rect, gColor activeB, gColor activeF,
                          gColor normalB, gColor normalF, int state) override {
        const eString& result =
            TextEntry::redraw(painter, rect, activeB, activeF, normalB, normalF, state);
        gDrawOp text{gDrawOp::Kind::text, "20:45", rect, activeF};
        painter->getRecord()->add(text);
        gPixmap picture(4, 4);
        picture.source = "/tmp/a.png";
        painter->blit(picture, ePoint(0, rect.top()), gPainter::BF_ALPHATEST);
        return result;
    }
};

TEST(Dump, WindowWithChildrenListAndEntries) {
    auto window = std::make_unique<eWindow>(1);
    window->cmove(ePoint(100, 100));
    window->cresize(eSize(520, 376));
    window->setText("Match Ray");

    auto* button = new eButton(window.get());
    button->move(ePoint(8, 0));
    button->resize(eSize(120, 40));
    button->setText("All");
    button->setBackgroundColor(eSkin::getActive()->queryColor("std_dred"));

    auto* hidden = new eLabel(window.get());
    hidden->setText("hidden");
    hidden->hide();
    new eLabel(hidden);  // inside a hidden widget: not listed either

    auto* list = new eListBox<TextEntry>(window.get(), nullptr, 1, 50);
    list->setName("choices");
    list->move(ePoint(0, 45));
    list->resize(eSize(520, 120));  // two whole entries
    new RecordingEntry(list, "one");
    new RecordingEntry(list, "two");
    new RecordingEntry(list, "three");

    auto* label = new eLabel(window.get());
    label->move(ePoint(0, 346));
    label->resize(eSize(520, 30));
    label->setText("two\nlines");
    label->setProperty("align", "center");
    label->setForegroundColor(gColor(0xff123456u));
    window->setFocus(list);
    window->show();

    EXPECT_EQ(eDesktop::instance().dump(),
              "eWindow \"\" \"Match Ray\" at 100,100 size 520x376\n"
              "  eButton \"\" \"All\" at 8,0 size 120x40 bg=std_dred\n"
              "  eListBox \"choices\" \"\" at 0,45 size 520x120 focus entries=3 current=0 top=0 "
              "itemheight=50\n"
              "    * entry 0: 20:45 | [picture /tmp/a.png]\n"
              "      entry 1: 20:45 | [picture /tmp/a.png]\n"
              "      entry 2: \n"
              "  eLabel \"\" \"two\\nlines\" at 0,346 size 520x30 fg=#FF123456 align=center\n");
}

TEST(Dump, HiddenTopLevelIsLeftOut) {
    eWindow window(0);
    window.cresize(eSize(100, 50));
    EXPECT_EQ(eDesktop::instance().dump(), "");
    window.show();
    EXPECT_EQ(eDesktop::instance().dump(), "eWindow \"\" \"\" at 2,30 size 100x50\n");
    window.hide();
    EXPECT_EQ(eDesktop::instance().dump(), "");
}

}  // namespace
