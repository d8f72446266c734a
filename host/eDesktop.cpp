#include "eDesktop.h"

#include <algorithm>

#include "eListBoxBase.h"
#include "eListBoxEntry.h"
#include "eSkin.h"
#include "eWidget.h"
#include "gFBDC.h"
#include "gPainter.h"

namespace {

void removeFrom(std::vector<eWidget*>& widgets, eWidget* widget) {
    widgets.erase(std::remove(widgets.begin(), widgets.end(), widget), widgets.end());
}

bool isColorKey(eKey key) {
    return key == eKey::red || key == eKey::green || key == eKey::yellow || key == eKey::blue;
}

eWidget* findShortcut(eWidget* widget, const char* name) {
    for (eWidget* child : widget->getChildren()) {
        if (!child->isShown()) continue;
        if (child->getShortcut() == name) return child;
        if (eWidget* found = findShortcut(child, name)) return found;
    }
    return nullptr;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

void dumpWidget(const eWidget& widget, int depth, std::string& out) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    eRect area = widget.getParent() ? eRect(widget.getPosition(), widget.getSize())
                                    : widget.getAbsoluteClientRect();
    out += indent + widget.kind() + " \"" + escaped(widget.getName()) + "\" \"" +
           escaped(widget.getText()) + "\" at " + std::to_string(area.left()) + "," +
           std::to_string(area.top()) + " size " + std::to_string(area.width()) + "x" +
           std::to_string(area.height()) + widget.describe();
    auto* list = dynamic_cast<const eListBoxBase*>(&widget);
    if (list) {
        out += " entries=" + std::to_string(list->getCount()) +
               " current=" + std::to_string(list->getCurrentIndex()) +
               " top=" + std::to_string(list->getTopIndex()) +
               " itemheight=" + std::to_string(list->getItemHeight());
    }
    out += "\n";
    if (list) {
        const std::string entryIndent(static_cast<size_t>(depth + 1) * 2, ' ');
        for (int i = 0; i < list->getCount(); ++i) {
            out += entryIndent + (i == list->getCurrentIndex() ? "* " : "  ") + "entry " +
                   std::to_string(i) + ": " + escaped(list->getEntry(i)->lastDraw().describe()) +
                   "\n";
        }
    }
    for (const eWidget* child : widget.getChildren()) {
        if (child->isShown()) dumpWidget(*child, depth + 1, out);
    }
}

}  // namespace

eDesktop& eDesktop::instance() {
    static eDesktop desktop;
    return desktop;
}

void eDesktop::handleKey(eKey key) {
    eWidget* window = topModal();
    if (!window || key == eKey::none) return;
    if (isColorKey(key)) {
        if (eWidget* target = findShortcut(window, keyName(key)))
            target->eventHandler(eWidgetEvent(eWidgetEvent::shortcutPressed, key));
        return;
    }
    const eWidgetEvent event(eWidgetEvent::keyPressed, key);
    eWidget* focus = window->getFocus();
    if (focus && focus->isVisible() && focus->eventHandler(event)) return;
    // The focused widget may have closed or deleted the window; only a window
    // still on top gets the key.
    if (topModal() == window) window->eventHandler(event);
}

void eDesktop::redrawIfNeeded() {
    if (!dirty) return;
    dirty = false;
    gPixmap& screen = gFBDC::getInstance()->getPixmap();
    screen.lock();
    gPainter painter(*gFBDC::getInstance());
    painter.setBackgroundColor(eSkin::getActive()->queryColor("eDesktop.background"));
    painter.fill(eRect(0, 0, screen.width(), screen.height()));
    // Painting may not change the list, but copy it anyway: a widget's
    // drawing must never invalidate the iteration.
    const std::vector<eWidget*> order = toplevels;
    for (eWidget* widget : order) widget->paint(painter);
    screen.unlock();
}

std::string eDesktop::dump() {
    redrawIfNeeded();
    std::string out;
    for (const eWidget* widget : toplevels) dumpWidget(*widget, 0, out);
    return out;
}

void eDesktop::addToplevel(eWidget* widget) {
    removeFrom(toplevels, widget);
    toplevels.push_back(widget);
    dirty = true;
}

void eDesktop::removeToplevel(eWidget* widget) {
    removeFrom(toplevels, widget);
    dirty = true;
}

void eDesktop::pushModal(eWidget* widget) {
    modals.push_back(widget);
}

void eDesktop::popModal(eWidget* widget) {
    auto last = std::find(modals.rbegin(), modals.rend(), widget);
    if (last != modals.rend()) modals.erase(std::next(last).base());
}

eWidget* eDesktop::topModal() const {
    return modals.empty() ? nullptr : modals.back();
}

void eDesktop::forget(eWidget* widget) {
    removeFrom(toplevels, widget);
    removeFrom(modals, widget);
    dirty = true;
}
