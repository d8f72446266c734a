#pragma once
// A message window centred on the screen, with a caption, a text and buttons.
// flags: btOK adds an OK button (ok closes with btOK); iconInfo and iconError
// choose the icon. A box without buttons is a notice that is shown, never run.

#include "eWindow.h"

class eLabel;

class eMessageBox : public eWindow {
public:
    enum { btOK = 1, btCancel = 2, iconInfo = 16, iconError = 32 };

    eMessageBox(eString message, eString caption, int flags = btOK, int def = btOK,
                int timeout = 0);

    int eventHandler(const eWidgetEvent& event) override;
    const char* kind() const override { return "eMessageBox"; }

private:
    eLabel* textLabel = nullptr;
    int flags;
};
