#include "eMessageBox.h"

#include <algorithm>
#include <tuple>

#include "eButton.h"
#include "eSkin.h"
#include "eTextPara.h"
#include "gFBDC.h"

namespace {

constexpr int margin = 10;
constexpr int minimumWidth = 200;
constexpr int buttonWidth = 100;
constexpr int buttonHeight = 40;

// The size the text needs when it may be at most maxWidth wide.
eSize measure(const eString& text, const gFont& font, int maxWidth) {
    auto* para = new eTextPara(eRect(0, 0, maxWidth, gFBDC::screenHeight));
    para->setFont(font);
    para->renderString(text);
    const eSize size = para->getTextSize();
    para->destroy();
    return size;
}

}  // namespace

eMessageBox::eMessageBox(eString message, eString caption, int flags, int def, int)
    : eWindow(0), flags(flags) {
    kindName = "eMessageBox";
    setText(caption);
    const gFont font = eSkin::getActive()->queryFont("eLabel.font");
    const int widest = gFBDC::screenWidth - 2 * border - 2 * margin - 20;
    const eSize textSize = measure(message, font, widest);

    const int buttons = ((flags & btOK) ? 1 : 0) + ((flags & btCancel) ? 1 : 0);
    const int buttonsWidth = buttons * buttonWidth + std::max(0, buttons - 1) * margin;
    const int width =
        std::max({minimumWidth, textSize.width + 2 * margin, buttonsWidth + 2 * margin});
    int height = textSize.height + 2 * margin;

    textLabel = new eLabel(this, eLabel::flagWrap);
    textLabel->setName("text");
    textLabel->move(ePoint(margin, margin));
    textLabel->resize(eSize(width - 2 * margin, textSize.height));
    textLabel->setFont(font);
    textLabel->setText(message);

    if (buttons) {
        int x = (width - buttonsWidth) / 2;
        for (auto [bit, name, label] :
             {std::tuple{int(btOK), "ok", "OK"}, std::tuple{int(btCancel), "cancel", "Cancel"}}) {
            if (!(flags & bit)) continue;
            eButton* button = addButton(name, label, bit);
            button->move(ePoint(x, height));
            if (def == bit) setFocus(button);
            x += buttonWidth + margin;
        }
        height += buttonHeight + margin;
    }

    cresize(eSize(width, height));
    const eSize frame = getSize();
    move(ePoint((gFBDC::screenWidth - frame.width) / 2, (gFBDC::screenHeight - frame.height) / 2));
}

eMessageBox::~eMessageBox() = default;

eButton* eMessageBox::addButton(const char* name, const char* text, int result) {
    auto* button = new eButton(this);
    button->setName(name);
    button->resize(eSize(buttonWidth, buttonHeight));
    button->loadDeco();
    button->setProperty("align", "center");
    button->setText(text);
    button->selected.connect([this, result] { close(result); });
    return button;
}

int eMessageBox::eventHandler(const eWidgetEvent& event) {
    if (event.type == eWidgetEvent::keyPressed && event.key == eKey::ok && (flags & btOK)) {
        close(btOK);
        return 1;
    }
    return eWindow::eventHandler(event);
}
