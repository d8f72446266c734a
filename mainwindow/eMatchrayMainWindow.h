#pragma once
// The match list: four colour-key filter buttons, the list of matches and a
// notice ticker. Everything before the window is first shown happens in the
// constructor: load the listings file, clear stale pictures, download the
// missing ones, build the widgets, fill the list and start the ticker.

#include <list>

#include "NoticeTicker.h"
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
    void selected(eMatchrayChoice* choice);

    int getFilter() const { return filter; }

private:
    void clickBtn(int index);

    eListBox<eMatchrayChoice>* listbox = nullptr;
    eLabel* tickerLabel = nullptr;
    int32_t filter = 0;
    eString deviceIdentity;
    eButton* buttons[4] = {};
    // Stopped on close, and at the latest as a member, before the base deletes tickerLabel.
    NoticeTicker sponsorThread;
    eMatchrayDetailWindow* detailWindow = nullptr;
    std::list<matchray_matches> matches;
    std::list<matchray_satellites> satellites;
    SatelliteFilter satelliteFilter;
};
