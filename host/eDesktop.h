#pragma once
// The screen: the shown top-level windows in stacking order, the stack of
// modal loops, key dispatch and the redraw into the framebuffer. The front
// ends use it; the plug-in never does.

#include <string>
#include <vector>

#include "eKey.h"

class eWidget;
class gPixmap;

class eDesktop {
public:
    static eDesktop& instance();

    // Dispatches a key to the topmost modal window: a colour key to the shown
    // widget whose shortcut it is, other keys to the focused widget and then
    // to the window itself (exit closes it).
    void handleKey(eKey key);

    // Redraws the framebuffer when something changed since the last redraw.
    void redrawIfNeeded();
    void invalidate() { dirty = true; }
    bool isDirty() const { return dirty; }

    // The shown top-level widgets as text, one line per shown widget.
    std::string dump();

    // Used by eWidget.
    void addToplevel(eWidget* widget);
    void removeToplevel(eWidget* widget);
    void pushModal(eWidget* widget);
    void popModal(eWidget* widget);
    eWidget* topModal() const;
    void forget(eWidget* widget);

private:
    eDesktop() = default;
    std::vector<eWidget*> toplevels;
    std::vector<eWidget*> modals;
    bool dirty = true;
};
