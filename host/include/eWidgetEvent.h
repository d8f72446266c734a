#pragma once
// Events the host sends to widgets. The first field is the integer type.

#include "eKey.h"

struct eWidgetEvent {
    enum eventType {
        keyPressed = 1,       // key holds the remote control key
        shortcutPressed = 2,  // the widget's shortcut key was pressed
        gotFocus = 3,
        lostFocus = 4,
        willShow = 5,
        willHide = 6,
        changedText = 7,  // the text, the font or the size changed: cached layout is stale
        changedFont = 8,
        changedSize = 9,
        execBegin = 16,  // the widget's modal loop starts
        execDone = 17,   // the widget's modal loop has ended; sent once, before exec returns
    };
    int type;
    eKey key = eKey::none;

    eWidgetEvent(int type, eKey key = eKey::none) : type(type), key(key) {}
};
