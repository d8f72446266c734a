#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "eButton.h"
#include "eDesktop.h"
#include "eMainLoop.h"
#include "eMessageBox.h"
#include "eWindow.h"

namespace {

// A window that logs the events it gets.
class LoggingWindow : public eWindow {
public:
    LoggingWindow() : eWindow(1) {}
    int eventHandler(const eWidgetEvent& event) override {
        events.push_back(event.type);
        if (event.type == eWidgetEvent::execDone) closedInExec = isInExec();
        return eWindow::eventHandler(event);
    }
    std::vector<int> events;
    bool closedInExec = true;
};

int count(const std::vector<int>& events, int type) {
    return static_cast<int>(std::count(events.begin(), events.end(), type));
}

TEST(Widget, ExecRunsUntilCloseAndSendsExecDoneOnceBeforeReturning) {
    LoggingWindow window;
    window.show();
    eMainLoop::instance().post([&] { window.close(7); }, &window);
    EXPECT_EQ(window.exec(), 7);
    EXPECT_EQ(count(window.events, eWidgetEvent::execBegin), 1);
    EXPECT_EQ(count(window.events, eWidgetEvent::execDone), 1);
    EXPECT_EQ(window.events.back(), eWidgetEvent::execDone);
    EXPECT_FALSE(window.closedInExec);
    EXPECT_FALSE(window.isInExec());
    EXPECT_EQ(eDesktop::instance().topModal(), nullptr);
}

TEST(Widget, AcceptAndRejectOutsideExecAreIgnored) {
    LoggingWindow window;
    window.accept();
    window.reject();
    eMainLoop::instance().post([&] { window.accept(); });
    EXPECT_EQ(window.exec(), 0);
    eMainLoop::instance().post([&] { window.reject(); });
    EXPECT_EQ(window.exec(), -1);
    EXPECT_EQ(count(window.events, eWidgetEvent::execDone), 2);
}

TEST(Widget, ExitKeyRejectsTopmostModalWindowOnly) {
    eWindow outer(1);
    eWindow inner(1);
    int innerResult = 1;
    eMainLoop::instance().post([&] {
        eMainLoop::instance().post([&] { eDesktop::instance().handleKey(eKey::exit); });
        innerResult = inner.exec();
        EXPECT_TRUE(outer.isInExec());
        eDesktop::instance().handleKey(eKey::exit);
    });
    EXPECT_EQ(outer.exec(), -1);
    EXPECT_EQ(innerResult, -1);
}

TEST(Widget, KeysGoToFocusedWidgetAndColourKeysToShortcuts) {
    auto window = std::make_unique<eWindow>(1);
    auto* first = new eButton(window.get());
    auto* second = new eButton(window.get());
    auto* blue = new eButton(window.get());
    blue->setShortcut("blue");
    EXPECT_EQ(window->getFocus(), first);  // the first widget that takes focus
    window->setFocus(second);
    window->show();
    int firstPressed = 0, secondPressed = 0, bluePressed = 0;
    first->selected.connect([&] { ++firstPressed; });
    second->selected.connect([&] { ++secondPressed; });
    blue->selected.connect([&] {
        ++bluePressed;
        window->close(5);
    });
    eMainLoop::instance().post([&] {
        eDesktop::instance().handleKey(eKey::ok);
        eDesktop::instance().handleKey(eKey::yellow);  // no widget has it
        blue->hide();
        eDesktop::instance().handleKey(eKey::blue);  // hidden: ignored
        blue->show();
        eDesktop::instance().handleKey(eKey::blue);
    });
    EXPECT_EQ(window->exec(), 5);
    EXPECT_EQ(firstPressed, 0);
    EXPECT_EQ(secondPressed, 1);
    EXPECT_EQ(bluePressed, 1);
}

TEST(Widget, DeletingAWindowDeletesChildrenAndCancelsTheirTasks) {
    auto* window = new eWindow(1);
    auto* button = new eButton(window);
    bool ran = false;
    eMainLoop::instance().post([&] { ran = true; }, button);
    window->show();
    delete window;
    eMainLoop::instance().processPending();
    EXPECT_FALSE(ran);
    EXPECT_EQ(eDesktop::instance().dump(), "");
}

TEST(Widget, GeometryOfWindowClientAreaAndChildren) {
    eWindow window(1);
    window.cmove(ePoint(100, 100));
    window.cresize(eSize(520, 376));
    EXPECT_EQ(window.getAbsoluteClientRect(), eRect(100, 100, 520, 376));
    EXPECT_EQ(window.getClientRect().size(), eSize(520, 376));
    auto* button = new eButton(&window);
    button->move(ePoint(8, 0));
    button->resize(eSize(120, 40));
    EXPECT_EQ(button->getAbsoluteClientRect(), eRect(108, 100, 120, 40));
    EXPECT_TRUE(button->loadDeco());
    EXPECT_EQ(button->getSize(), eSize(120, 40));
    EXPECT_FALSE(button->isVisible());  // its window isn't shown
    window.show();
    EXPECT_TRUE(button->isVisible());
}

TEST(Widget, MessageBoxClosesWithOkAndExit) {
    eMessageBox box("Can't connect to server!", "Error", 33, 1, 0);
    box.show();
    eMainLoop::instance().post([] { eDesktop::instance().handleKey(eKey::ok); });
    EXPECT_EQ(box.exec(), eMessageBox::btOK);
    eMainLoop::instance().post([] { eDesktop::instance().handleKey(eKey::exit); });
    EXPECT_EQ(box.exec(), -1);
    const std::string dump = eDesktop::instance().dump();
    EXPECT_NE(dump.find("eMessageBox \"\" \"Error\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("  eLabel \"text\" \"Can't connect to server!\""), std::string::npos);
    EXPECT_NE(dump.find("  eButton \"ok\" \"OK\""), std::string::npos);
}

TEST(Widget, NoticeIsCentredSizedToItsLinesAndHasNoButton) {
    eMessageBox notice("Download data\nPlease wait...", "Match Ray", 16, 1, 0);
    notice.show();
    const eRect client = notice.getAbsoluteClientRect();
    EXPECT_NEAR(client.left() + client.width() / 2, 360, 3);
    EXPECT_NEAR(client.top() + client.height() / 2, 288 + eWindow::titleHeight / 2, 3);
    ASSERT_EQ(notice.getChildren().size(), 1u);
    const eWidget* label = notice.getChildren()[0];
    EXPECT_GE(label->getSize().height, 2 * 20);
    EXPECT_EQ(label->getText(), "Download data\nPlease wait...");
}

}  // namespace
