#pragma once
// The test plug-in's window: four colour buttons, a list of countries, a
// status line and a line that a worker thread fills through the GUI loop.
// ok on an entry asks in a message box; confirming closes the window with the
// entry's number (1 for the first), exit closes it with -1.

#include <array>
#include <thread>

#include "TestEntry.h"
#include "eButton.h"
#include "eLabel.h"
#include "eListBox.h"
#include "eWindow.h"

class TestWindow : public eWindow {
public:
    explicit TestWindow(const eString& greeting);
    ~TestWindow() override;

    int eventHandler(const eWidgetEvent& event) override;

private:
    void clickRed() { clickButton(0); }
    void clickGreen() { clickButton(1); }
    void clickYellow() { clickButton(2); }
    void clickBlue() { clickButton(3); }
    void clickButton(int index);
    void entrySelected(TestEntry* entry);
    void startWorker();
    void stopWorker();

    std::array<eButton*, 4> buttons{};
    eListBox<TestEntry>* list = nullptr;
    eLabel* statusLabel = nullptr;
    eLabel* workerLabel = nullptr;
    std::thread worker;
};
