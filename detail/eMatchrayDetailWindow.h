#pragma once
// The channels that carry one match: a window whose whole client area is a
// list of channel entries, in the order given. Display only.

#include <list>

#include "eListBox.h"
#include "eWindow.h"
#include "match_ray_channels.h"

class eMatchrayDetailChoice;

class eMatchrayDetailWindow : public eWindow {
public:
    explicit eMatchrayDetailWindow(std::list<match_ray_channels> channels);
    ~eMatchrayDetailWindow() override;

    void napuniListu();

private:
    eListBox<eMatchrayDetailChoice>* listbox = nullptr;
    std::list<match_ray_channels> channels;
};
