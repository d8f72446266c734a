#pragma once
// The match list: four colour-key filter buttons, the list of matches and a
// notice ticker. Everything before the window is first shown happens in the
// constructor: load the listings file, clear stale pictures, download the
// missing ones, build the widgets, fill the list and start the ticker.

#include <pthread.h>

#include <atomic>
#include <list>

#include "SatelliteFilter.h"
#include "eButton.h"
#include "eLabel.h"
#include "eListBox.h"
#include "eString.h"
#include "eWindow.h"
#include "matchray_matches.h"
#include "matchray_satellites.h"

class eMatchrayChoice;
class eMatchrayDetailWindow;

// Shortcut key and shortcut picture names of the four buttons, red to blue.
extern const char* buttons_shortcut[4];

// The ticker's rows, shown one after another in this order.
extern const eString sponsor_message[20];

// True while a ticker thread runs; clearing it asks the thread to end. There is
// one flag, so one main window exists at a time, as plugin_exec runs it.
extern std::atomic<bool> bThreadSponsorRunning;

class eMatchrayMainWindow : public eWindow {
public:
    explicit eMatchrayMainWindow(eString deviceIdentity);
    ~eMatchrayMainWindow() override;

    int eventHandler(const eWidgetEvent& event) override;

    int ucitajPodatke();
    void saveM(matchray_matches m);
    void saveS(matchray_satellites s);
    void get_slike_fix();
    void napuniListu();
    void clickBtn0();
    void clickBtn1();
    void clickBtn2();
    void clickBtn3();
    void startThreadSponsor();
    static void* threadSponsor(void* label);
    void selected(eMatchrayChoice* choice);

    int getFilter() const { return filter; }

    // The time between two ticker rows: 2500 ms, shorter in tests. A thread
    // reads it when it starts.
    static void setSponsorPeriod(int milliseconds);

private:
    void clickBtn(int index);
    void stopThreadSponsor();

    eListBox<eMatchrayChoice>* listbox = nullptr;
    eLabel* tickerLabel = nullptr;
    int32_t filter = 0;
    eString deviceIdentity;
    eButton* buttons[4] = {};
    pthread_t sponsorThread{};
    bool sponsorThreadStarted = false;
    eMatchrayDetailWindow* detailWindow = nullptr;
    std::list<matchray_matches> matches;
    std::list<matchray_satellites> satellites;
    SatelliteFilter satelliteFilter;
};
