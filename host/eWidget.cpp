#include "eWidget.h"

#include <algorithm>
#include <cstdio>

#include "eDesktop.h"
#include "eMainLoop.h"
#include "eSkin.h"
#include "gPainter.h"

namespace {

std::string colorText(const gColor& color) {
    if (const char* name = eSkin::getActive()->colorName(color)) return name;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%08X", static_cast<unsigned>(color.argb));
    return buffer;
}

}  // namespace

eWidget::eWidget(eWidget* parent, int takefocus) : parent(parent), takefocus(takefocus) {
    // The loop belongs to the thread that builds widgets: the GUI thread.
    eMainLoop::instance();
    if (!parent) return;
    shown = true;
    parent->addChild(this);
    eWidget* window = getTLW();
    if (takefocus && window != this && !window->focus) window->focus = this;
}

eWidget::~eWidget() {
    eMainLoop::instance().dropText(this);
    while (!children.empty()) delete children.front();
    if (parent) {
        eWidget* window = getTLW();
        if (window->focus == this) window->focus = nullptr;
        parent->removeChild(this);
    }
    eDesktop::instance().forget(this);
    invalidate();
}

void eWidget::addChild(eWidget* child) {
    children.push_back(child);
}

void eWidget::removeChild(eWidget* child) {
    children.erase(std::remove(children.begin(), children.end(), child), children.end());
}

const eWidget* eWidget::topLevel() const {
    const eWidget* widget = this;
    while (widget->parent) widget = widget->parent;
    return widget;
}

eWidget* eWidget::getTLW() {
    return const_cast<eWidget*>(topLevel());
}

void eWidget::move(ePoint position) {
    if (this->position == position) return;
    this->position = position;
    invalidate();
}

void eWidget::resize(eSize size) {
    this->size = size;
    recalcClientRect();
    changed(eWidgetEvent::changedSize);
    invalidate();
}

void eWidget::cmove(ePoint clientPosition) {
    move(clientPosition - ePoint(insetLeft, insetTop));
}

void eWidget::cresize(eSize clientSize) {
    resize(eSize(clientSize.width + insetLeft + insetRight,
                 clientSize.height + insetTop + insetBottom));
}

void eWidget::recalcClientRect() {
    clientrect = eRect(insetLeft, insetTop, std::max(0, size.width - insetLeft - insetRight),
                       std::max(0, size.height - insetTop - insetBottom));
}

void eWidget::setFrameInsets(int left, int top, int right, int bottom) {
    insetLeft = left;
    insetTop = top;
    insetRight = right;
    insetBottom = bottom;
    recalcClientRect();
    changed(eWidgetEvent::changedSize);
    invalidate();
}

void eWidget::changed(int eventType) {
    eventHandler(eWidgetEvent(eventType));
}

eRect eWidget::getAbsoluteClientRect() const {
    ePoint frame = position;
    if (parent) frame = frame + parent->getAbsoluteClientRect().topLeft();
    return clientrect.translated(frame);
}

void eWidget::setText(const eString& text) {
    eMainLoop& loop = eMainLoop::instance();
    if (!loop.isGuiThread()) {
        loop.postText(this, text);
        return;
    }
    loop.dropText(this);  // an older text of another thread
    if (this->text == text) return;
    this->text = text;
    changed(eWidgetEvent::changedText);
    invalidate();
}

void eWidget::setFont(const gFont& font) {
    this->font = font;
    changed(eWidgetEvent::changedFont);
    invalidate();
}

void eWidget::setForegroundColor(const gColor& color, bool redraw) {
    foregroundColor = color;
    foregroundSet = true;
    if (redraw) invalidate();
}

void eWidget::setBackgroundColor(const gColor& color, bool redraw) {
    backgroundColor = color;
    backgroundSet = true;
    if (redraw) invalidate();
}

void eWidget::useSkinBackground(const char* colorName) {
    if (!backgroundSet) backgroundColor = eSkin::getActive()->queryColor(colorName);
    fillBackground = true;
}

void eWidget::useSkinForeground(const char* colorName) {
    if (!foregroundSet) foregroundColor = eSkin::getActive()->queryColor(colorName);
}

void eWidget::setFocus(eWidget* child) {
    eWidget* window = getTLW();
    eWidget* old = window->focus;
    if (old == child) return;
    window->focus = child;
    if (old) old->eventHandler(eWidgetEvent(eWidgetEvent::lostFocus));
    if (child) child->eventHandler(eWidgetEvent(eWidgetEvent::gotFocus));
    invalidate();
}

void eWidget::setProperty(const eString& property, const eString& value) {
    for (auto& entry : properties) {
        if (entry.first == property) {
            entry.second = value;
            invalidate();
            return;
        }
    }
    properties.emplace_back(property, value);
    invalidate();
}

const eString& eWidget::getProperty(const eString& property) const {
    static const eString none;
    for (const auto& entry : properties) {
        if (entry.first == property) return entry.second;
    }
    return none;
}

void eWidget::show() {
    if (shown) return;
    shown = true;
    eventHandler(eWidgetEvent(eWidgetEvent::willShow));
    if (!parent) eDesktop::instance().addToplevel(this);
    invalidate();
    presentIfToplevel();
}

void eWidget::hide() {
    if (!shown) return;
    eventHandler(eWidgetEvent(eWidgetEvent::willHide));
    shown = false;
    if (!parent) eDesktop::instance().removeToplevel(this);
    invalidate();
}

void eWidget::presentIfToplevel() {
    if (parent) return;
    // Blocking work may follow (a notice shown before a transfer), so the
    // screen is brought up to date now rather than on the loop's next turn.
    eDesktop::instance().redrawIfNeeded();
    if (eLoopDriver* driver = eMainLoop::instance().driver()) driver->present();
}

bool eWidget::isVisible() const {
    for (const eWidget* widget = this; widget; widget = widget->parent) {
        if (!widget->shown) return false;
    }
    return true;
}

int eWidget::exec() {
    inExec = true;
    closeRequested = false;
    eDesktop::instance().pushModal(this);
    eventHandler(eWidgetEvent(eWidgetEvent::execBegin));
    eMainLoop::instance().runModal([this] { return closeRequested; });
    eDesktop::instance().popModal(this);
    inExec = false;
    eventHandler(eWidgetEvent(eWidgetEvent::execDone));
    invalidate();
    return result;
}

void eWidget::close(int result) {
    if (!inExec) return;
    this->result = result;
    closeRequested = true;
}

void eWidget::accept() {
    close(0);
}

void eWidget::reject() {
    close(-1);
}

int eWidget::eventHandler(const eWidgetEvent&) {
    return 0;
}

std::string eWidget::describe() const {
    std::string words;
    if (backgroundSet) words += " bg=" + colorText(backgroundColor);
    if (foregroundSet) words += " fg=" + colorText(foregroundColor);
    const eString& align = getProperty("align");
    if (!align.empty()) words += " align=" + align;
    if (parent && topLevel()->focus == this) words += " focus";
    return words;
}

void eWidget::invalidate() {
    eDesktop::instance().invalidate();
}

void eWidget::paint(gPainter& parentPainter) {
    record.clear();
    gPainter frame = parentPainter.sub(eRect(position, size));
    frame.setRecord(&record);
    frame.setForegroundColor(foregroundColor);
    frame.setBackgroundColor(backgroundColor);
    eraseBackground(&frame, eRect(ePoint(), size));

    gPainter client = frame.sub(clientrect);
    client.setForegroundColor(foregroundColor);
    client.setBackgroundColor(backgroundColor);
    redrawWidget(&client, eRect(ePoint(), clientrect.size()));

    for (eWidget* child : children) {
        if (child->shown) child->paint(client);
    }
}

void eWidget::redrawWidget(gPainter*, const eRect&) {}

void eWidget::eraseBackground(gPainter* painter, const eRect& area) {
    if (backgroundSet || fillBackground) painter->fill(area);
}
