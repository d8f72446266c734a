#pragma once
// The host's widget. A widget is created with new and a parent; the parent
// deletes its children when it is deleted, so the plug-in never deletes a child
// widget itself. A widget without a parent is a top-level window on the screen.
//
// Geometry: move and resize set the widget's frame relative to the parent's
// client area; cmove and cresize set the client area (for plain widgets the
// client area is the whole frame; a window adds its title bar and border).
//
// Showing: a child starts shown (it appears with its parent); a top-level
// widget starts hidden, and show() puts it on top of the screen's stacking
// order, redraws the screen at once and lets the front end present it, so a
// notice shown before blocking work is visible during that work.
//
// Focus: each top-level window has one focused descendant. The first child
// created that takes focus gets it; setFocus moves it, sending lostFocus and
// gotFocus.
//
// Modal loops: exec() shows nothing by itself; it runs the GUI loop until
// close() is called on this widget, sends the widget the event execDone (17)
// once, and returns close's result. accept() is close(0), reject() is
// close(-1). On a widget that is not in its modal loop, accept, reject and
// close are ignored (the real host decides this; the stand-in ignores them).
//
// Threads: widgets belong to the GUI thread (the one that created the main
// loop), with one exception: setText may be called from any thread. Off the
// GUI thread the text is handed to the GUI loop, which sets it on its next
// turn; of several texts set meanwhile only the newest is shown.
//
// Virtual operations are the toolkit's slots: setProperty, eventHandler,
// redrawWidget, eraseBackground and recalcClientRect. Changes of text, font
// and size reach a widget as the events changedText, changedFont and
// changedSize, so a subclass drops cached layout in its eventHandler.

#include <memory>
#include <string>
#include <vector>

#include "eRect.h"
#include "eString.h"
#include "eWidgetEvent.h"
#include "gColor.h"
#include "gDrawRecord.h"
#include "gFont.h"

class gPainter;
class eTextPara;

class eWidget {
public:
    explicit eWidget(eWidget* parent = nullptr, int takefocus = 0);
    virtual ~eWidget();

    eWidget(const eWidget&) = delete;
    eWidget& operator=(const eWidget&) = delete;

    void move(ePoint position);
    void resize(eSize size);
    void cmove(ePoint clientPosition);
    void cresize(eSize clientSize);
    ePoint getPosition() const { return position; }
    eSize getSize() const { return size; }
    // The client area relative to the frame's top-left corner.
    const eRect& getClientRect() const { return clientrect; }
    // The client area in screen coordinates.
    eRect getAbsoluteClientRect() const;

    void setText(const eString& text);
    const eString& getText() const { return text; }
    void setName(const eString& name) { this->name = name; }
    const eString& getName() const { return name; }
    void setFont(const gFont& font);
    const gFont& getFont() const { return font; }

    void setForegroundColor(const gColor& color, bool invalidate = true);
    void setBackgroundColor(const gColor& color, bool invalidate = true);
    const gColor& getForegroundColor() const { return foregroundColor; }
    const gColor& getBackgroundColor() const { return backgroundColor; }
    bool hasForegroundColor() const { return foregroundSet; }
    bool hasBackgroundColor() const { return backgroundSet; }

    // A key name ("red", "green", "yellow", "blue") that activates this widget
    // while its window is the topmost modal one.
    void setShortcut(const eString& keyName) { shortcut = keyName; }
    const eString& getShortcut() const { return shortcut; }

    // Puts the focus of this widget's window onto child (a descendant).
    void setFocus(eWidget* child);
    // The descendant that has the focus, or null.
    eWidget* getFocus() const { return focus; }
    bool takesFocus() const { return takefocus != 0; }

    virtual void setProperty(const eString& property, const eString& value);
    const eString& getProperty(const eString& property) const;

    void show();
    void hide();
    bool isShown() const { return shown; }
    // Shown, and every ancestor shown too.
    bool isVisible() const;

    int exec();
    void close(int result);
    void accept();
    void reject();
    bool isInExec() const { return inExec; }

    virtual int eventHandler(const eWidgetEvent& event);

    eWidget* getParent() const { return parent; }
    eWidget* getTLW();  // the top-level window this widget belongs to
    const std::vector<eWidget*>& getChildren() const { return children; }

    // The kind shown by dumps, such as "eButton".
    const char* kind() const { return kindName; }
    // Extra words for the dump line: colours, alignment and focus.
    std::string describe() const;

    // Marks the screen for redraw.
    void invalidate();

    // Paints the widget and its shown children. Called by the screen's redraw.
    void paint(gPainter& screenPainter);
    // What the widget itself drew in its last paint.
    const gDrawRecord& lastDraw() const { return record; }

protected:
    // Draws the client area; painter's origin is the client area's top-left.
    virtual void redrawWidget(gPainter* painter, const eRect& area);
    // Paints the background and the frame decorations of area, the whole
    // frame; painter's origin is the frame's top-left.
    virtual void eraseBackground(gPainter* painter, const eRect& area);
    // Sets clientrect from the frame size less the frame's insets.
    virtual void recalcClientRect();
    // How far the client area lies inside the frame on each side.
    void setFrameInsets(int left, int top, int right, int bottom);
    // Sends the widget a changedText, changedFont or changedSize event.
    void changed(int eventType);
    // Takes a skin colour as the widget's default background (then painted
    // under the widget) or text colour. Explicit colours win; getters return
    // the colour in effect.
    void useSkinBackground(const char* colorName);
    void useSkinForeground(const char* colorName);

    eRect clientrect;
    eString text;
    gFont font;
    gDrawRecord record;
    // The kind a subclass's constructor names.
    const char* kindName = "eWidget";

private:
    void addChild(eWidget* child);
    void removeChild(eWidget* child);
    const eWidget* topLevel() const;
    void presentIfToplevel();

    eWidget* parent;
    std::vector<eWidget*> children;
    int insetLeft = 0, insetTop = 0, insetRight = 0, insetBottom = 0;
    int takefocus;
    eWidget* focus = nullptr;
    ePoint position;
    eSize size;
    eString name;
    eString shortcut;
    std::vector<std::pair<eString, eString>> properties;
    gColor foregroundColor;
    gColor backgroundColor;
    bool foregroundSet = false;
    bool backgroundSet = false;
    bool fillBackground = false;
    bool shown = false;
    bool inExec = false;
    bool closeRequested = false;
    int result = 0;
};
