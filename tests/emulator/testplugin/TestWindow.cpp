#include "TestWindow.h"

#include <chrono>

#include "eMainLoop.h"
#include "eMessageBox.h"
#include "eSkin.h"

namespace {

const char* const keyNames[4] = {"red", "green", "yellow", "blue"};
const char* const buttonTexts[4] = {"Red", "Green", "Yellow", "Blue"};
const char* const colourNames[4] = {"std_dred", "std_dgreen", "std_dyellow", "std_dblue"};

struct Country {
    const char* name;
    const char* code;
};
// "xx" has no picture, so its entry draws its text only.
const Country countries[] = {{"Germany", "de"}, {"France", "fr"}, {"Italy", "it"},
                             {"Spain", "es"},   {"Brazil", "br"}, {"Atlantis", "xx"}};

}  // namespace

TestWindow::TestWindow(const eString& greeting) : eWindow(1) {
    setText("Emulator test");
    cmove(ePoint(60, 60));
    cresize(eSize(600, 440));

    for (int i = 0; i < 4; ++i) {
        eButton* button = new eButton(this);
        button->move(ePoint(10 + i * 148, 5));
        button->resize(eSize(140, 40));
        button->setText(buttonTexts[i]);
        button->setShortcut(keyNames[i]);
        button->setShortcutPixmap(keyNames[i]);
        button->setPixmapPosition(ePoint(4, 12));
        button->setProperty("align", "center");
        buttons[i] = button;
    }
    CONNECT(buttons[0]->selected, TestWindow::clickRed);
    CONNECT(buttons[1]->selected, TestWindow::clickGreen);
    CONNECT(buttons[2]->selected, TestWindow::clickYellow);
    CONNECT(buttons[3]->selected, TestWindow::clickBlue);

    // Four entries of 50 pixels fit, so the last two need scrolling.
    list = new eListBox<TestEntry>(this, nullptr, 1, 50, "eListBox");
    list->setName("countries");
    list->move(ePoint(10, 55));
    list->resize(eSize(580, 200));
    list->beginAtomic();
    for (const Country& country : countries) new TestEntry(list, country.name, country.code);
    list->endAtomic();
    CONNECT(list->selected, TestWindow::entrySelected);

    statusLabel = new eLabel(this);
    statusLabel->setName("status");
    statusLabel->move(ePoint(10, 270));
    statusLabel->resize(eSize(580, 30));
    statusLabel->setText(greeting);

    workerLabel = new eLabel(this);
    workerLabel->setName("worker");
    workerLabel->move(ePoint(10, 310));
    workerLabel->resize(eSize(580, 30));
    workerLabel->setText("Waiting for the worker");

    setFocus(list);
    startWorker();
}

TestWindow::~TestWindow() {
    stopWorker();
}

int TestWindow::eventHandler(const eWidgetEvent& event) {
    if (event.type == eWidgetEvent::execDone) stopWorker();
    return eWindow::eventHandler(event);
}

void TestWindow::clickButton(int index) {
    statusLabel->setText(eString().sprintf("%s pressed", buttonTexts[index]));
    buttons[index]->setBackgroundColor(eSkin::getActive()->queryColor(colourNames[index]));
}

void TestWindow::entrySelected(TestEntry* entry) {
    if (!entry) return;
    auto* box = new eMessageBox(eString().sprintf("Choose %s?", entry->getText().c_str()), "Choice",
                                eMessageBox::btOK | eMessageBox::iconError, 1, 0);
    box->show();
    const int answer = box->exec();
    box->hide();
    delete box;
    if (answer == eMessageBox::btOK) {
        close(list->getCurrentIndex() + 1);
        return;
    }
    statusLabel->setText(eString().sprintf("Message box returned %d", answer));
}

void TestWindow::startWorker() {
    eLabel* label = workerLabel;
    worker = std::thread([label] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // Only the GUI thread touches the label; the task dies with it.
        eMainLoop::instance().post([label] { label->setText("Set by the worker thread"); }, label);
    });
}

void TestWindow::stopWorker() {
    if (worker.joinable()) worker.join();
}
