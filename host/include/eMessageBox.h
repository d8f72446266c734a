#pragma once
// A message window centred on the screen, with a caption, a text and buttons.
// flags: btOK adds an OK button (ok closes with btOK); iconInfo and iconError
// choose the icon. A box without buttons is a notice that is shown, never run.
// The box is sized to its text ('\n' starts a new line) and centred; the text
// is an eLabel child, each button an eButton child named "ok" or "cancel".
// The stand-in draws no icon and ignores the timeout.

#include "eWindow.h"

class eButton;
class eLabel;

class eMessageBox : public eWindow {
public:
    enum { btOK = 1, btCancel = 2, iconInfo = 16, iconError = 32 };

    eMessageBox(eString message, eString caption, int flags = btOK, int def = btOK,
                int timeout = 0);

    ~eMessageBox() override;

    int eventHandler(const eWidgetEvent& event) override;

private:
    eButton* addButton(const char* name, const char* text, int result);

    eLabel* textLabel = nullptr;
    int flags;
};
