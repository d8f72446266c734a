#include "eMatchrayDetailWindow.h"

#include <gtest/gtest.h>

#include "TempRoot.h"
#include "eDesktop.h"
#include "eMainLoop.h"
#include "eMatchrayDetailChoice.h"

namespace {

match_ray_channels channel(const char* name) {
    match_ray_channels c;
    c.name = name;
    c.sat_position = "19.2";
    c.sat_direction = "e";
    return c;
}

eListBox<eMatchrayDetailChoice>* listOf(eWidget& window) {
    for (eWidget* child : window.getChildren())
        if (child->getName() == "choices")
            return dynamic_cast<eListBox<eMatchrayDetailChoice>*>(child);
    return nullptr;
}

std::vector<std::string> namesOf(eWidget& window) {
    std::vector<std::string> names;
    auto* list = listOf(window);
    for (int i = 0; i < list->getCount(); ++i)
        names.push_back(static_cast<eMatchrayDetailChoice*>(list->getEntry(i))->getChannel().name);
    return names;
}

class DetailWindow : public ::testing::Test {
protected:
    TempRoot root;
};

}  // namespace

TEST_F(DetailWindow, TheListCoversTheClientAreaInFileOrder) {
    std::list<match_ray_channels> channels = {channel("B"), channel("A"), channel("B")};
    eMatchrayDetailWindow window(channels);
    channels.front().name = "changed";
    channels.push_back(channel("later"));

    EXPECT_EQ(window.getAbsoluteClientRect(), eRect(100, 100, 520, 376));
    EXPECT_EQ(window.getText(), "Match Ray");
    auto* list = listOf(window);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->getPosition(), ePoint(0, 0));
    EXPECT_EQ(list->getSize(), eSize(520, 376));
    EXPECT_EQ(list->getItemHeight(), 50);
    EXPECT_EQ(window.getFocus(), list);
    EXPECT_EQ(namesOf(window), (std::vector<std::string>{"B", "A", "B"}));
}

TEST_F(DetailWindow, OkChangesNothingAndExitCloses) {
    eMatchrayDetailWindow window({channel("One"), channel("Two")});
    window.show();
    const std::string before = eDesktop::instance().dump();
    eMainLoop::instance().post([&] {
        eDesktop::instance().handleKey(eKey::ok);
        EXPECT_TRUE(window.isInExec());
        EXPECT_EQ(eDesktop::instance().dump(), before);
        eDesktop::instance().handleKey(eKey::exit);
    });
    EXPECT_EQ(window.exec(), -1);
    window.hide();
    EXPECT_EQ(namesOf(window), (std::vector<std::string>{"One", "Two"}));
}

TEST_F(DetailWindow, AnEmptyWindowClosesTheSameWay) {
    eMatchrayDetailWindow window({});
    EXPECT_EQ(listOf(window)->getCount(), 0);
    window.show();
    eMainLoop::instance().post([] { eDesktop::instance().handleKey(eKey::exit); });
    EXPECT_EQ(window.exec(), -1);
    window.hide();
}
