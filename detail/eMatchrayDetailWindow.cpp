#include "eMatchrayDetailWindow.h"

#include "eMatchrayDetailChoice.h"

eMatchrayDetailWindow::eMatchrayDetailWindow(std::list<match_ray_channels> channels)
    : eWindow(1), channels(std::move(channels)) {
    cmove(ePoint(100, 100));
    cresize(eSize(520, 376));
    setText("Match Ray");

    listbox = new eListBox<eMatchrayDetailChoice>(this, nullptr, 1, 50, "eListBox");
    listbox->setName("choices");
    listbox->setColumns(1);
    listbox->move(ePoint(0, 0));
    listbox->resize(eSize(clientrect.width(), clientrect.height()));
    napuniListu();
    setFocus(listbox);
}

eMatchrayDetailWindow::~eMatchrayDetailWindow() {
    channels.clear();
}

void eMatchrayDetailWindow::napuniListu() {
    if (!listbox) return;
    listbox->beginAtomic();
    listbox->clearList();
    for (const match_ray_channels& channel : channels) new eMatchrayDetailChoice(listbox, channel);
    listbox->endAtomic();
}
