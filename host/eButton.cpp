#include "eButton.h"

eButton::eButton(eWidget* parent, eLabel*, int takefocus, const char* deco)
    : eLabel(parent, 0, takefocus, deco) {
    kindName = "eButton";
    useSkinBackground("eButton.background");
}

int eButton::eventHandler(const eWidgetEvent& event) {
    switch (event.type) {
        case eWidgetEvent::shortcutPressed:
            selected.emit();
            return 1;
        case eWidgetEvent::keyPressed:
            if (event.key != eKey::ok) break;
            selected.emit();
            return 1;
        default:
            break;
    }
    return eLabel::eventHandler(event);
}
