#pragma once
// A push button. ok while it has the focus, or its shortcut key, emits selected.

#include "eLabel.h"
#include "sigc.h"

class eButton : public eLabel {
public:
    explicit eButton(eWidget* parent, eLabel* description = nullptr, int takefocus = 1,
                     const char* deco = "eButton");

    SigC::Signal0<void> selected;

    int eventHandler(const eWidgetEvent& event) override;
};
