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

    // The shown top-level widgets as text, one line per shown widget. It first
    // redraws the screen if anything changed, so list entries show what they
    // draw now. Top levels come in stacking order (bottom first), children
    // in creation order, indented by two blanks per depth; hidden widgets and
    // everything inside them are left out. A line reads
    //
    //   KIND "NAME" "TEXT" at X,Y size WxH[ bg=COLOR][ fg=COLOR][ align=VALUE][ focus]
    //
    // KIND is eWidget::kind(). For a top-level window X,Y and WxH are its
    // client area in screen coordinates; for a child they are its frame,
    // relative to its parent's client area. bg and fg appear only when the
    // colour was set explicitly; COLOR is the skin's name for it, or #AARRGGBB
    // (upper-case hex) when the skin has none. align is the "align" property
    // when set; focus marks the focused widget of its window. A newline in a
    // name or text is written as the two characters \n. A list box adds
    // " entries=N current=I top=T itemheight=H" to its line and is followed
    // by one line per entry, one level deeper:
    //
    //   * entry I: DESCRIBE      the current entry
    //     entry I: DESCRIBE      any other entry
    //
    // with I counted from 0 and DESCRIBE the entry's lastDraw().describe().
    // An entry that was never drawn (scrolled out of view) has an empty or
    // older DESCRIBE.
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
