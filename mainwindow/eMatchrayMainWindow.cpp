#include "eMatchrayMainWindow.h"

#include "ChannelRequest.h"
#include "ListingsLoader.h"
#include "PictureCache.h"
#include "PictureDownloader.h"
#include "StalePictures.h"
#include "eMatchrayChoice.h"
#include "eMatchrayDetailWindow.h"
#include "eMessageBox.h"
#include "eSkin.h"

const char* buttons_shortcut[4] = {"red", "green", "yellow", "blue"};

namespace {

const char* const captions[4] = {"All", "1w, 13,16,19e", "13,16,19e", "13,19e"};
const char* const highlights[4] = {"std_dred", "std_dgreen", "std_dyellow", "std_dblue"};

// The answer file of both requests, and where the match pictures are kept.
const char* const answerFile = "/tmp/psn";
const char* const pictureFolder = "/tmp";
const char* const title = "Match Ray";
constexpr int noticeFlags = 16;
constexpr int errorFlags = 33;

}  // namespace

eMatchrayMainWindow::eMatchrayMainWindow(eString deviceIdentity)
    : eWindow(1), deviceIdentity(std::move(deviceIdentity)) {
    eMessageBox loadingNotice("Loading data...", title, noticeFlags, 1, 0);
    loadingNotice.show();
    if (ucitajPodatke() == 0) {
        loadingNotice.hide();
        accept();
    }
    loadingNotice.hide();
    satelliteFilter = SatelliteFilter(satellites);

    StalePictures::remove(pictureFolder, matches);

    eMessageBox pictureNotice("Downloading images...", title, noticeFlags, 1, 0);
    pictureNotice.show();
    get_slike_fix();
    pictureNotice.hide();

    cmove(ePoint(100, 100));
    cresize(eSize(520, 376));
    setText(title);
    const int W = clientrect.width();
    const int H = clientrect.height();

    gFont font = eSkin::getActive()->queryFont("eListBox.EntryText.normal");
    font.pointSize = 20;

    filter = 0;

    const int gap = (W - 480) / 5;
    int x = gap;
    for (int i = 0; i < 4; ++i) {
        eButton* button = new eButton(this, nullptr, 1, "eButton");
        buttons[i] = button;
        button->move(ePoint(x, 0));
        button->resize(eSize(120, 40));
        button->setShortcut(buttons_shortcut[i]);
        button->setPixmapPosition(ePoint(1, 1));
        button->setShortcutPixmap(buttons_shortcut[i]);
        button->setText(captions[i]);
        button->loadDeco();
        button->setFont(font);
        if (filter == i)
            button->setBackgroundColor(eSkin::getActive()->queryColor(highlights[i]), true);
        button->show();
        x += 120 + gap;
    }

    listbox = new eListBox<eMatchrayChoice>(this, nullptr, 1, 50, "eListBox");
    listbox->setName("choices");
    listbox->setColumns(1);
    listbox->move(ePoint(0, 45));
    listbox->resize(eSize(W, H - 60));
    napuniListu();

    tickerLabel = new eLabel(this, 0, 0, "eLabel");
    tickerLabel->move(ePoint(0, H - 30));
    tickerLabel->resize(eSize(W, 30));
    tickerLabel->setText("");
    tickerLabel->setProperty("align", "center");
    tickerLabel->setFont(font);
    tickerLabel->setForegroundColor(eSkin::getActive()->queryColor("std_dyellow"), true);

    startThreadSponsor();

    setFocus(listbox);

    CONNECT(listbox->selected, eMatchrayMainWindow::selected);
    CONNECT(buttons[0]->selected, eMatchrayMainWindow::clickBtn0);
    CONNECT(buttons[1]->selected, eMatchrayMainWindow::clickBtn1);
    CONNECT(buttons[2]->selected, eMatchrayMainWindow::clickBtn2);
    CONNECT(buttons[3]->selected, eMatchrayMainWindow::clickBtn3);
    // The picture notice, then the loading notice, go as they leave scope.
}

// Normally stopped by the close event already; sponsorThread stops it otherwise.
eMatchrayMainWindow::~eMatchrayMainWindow() {
    PictureCache::clear();
}

int eMatchrayMainWindow::eventHandler(const eWidgetEvent& event) {
    if (event.type == eWidgetEvent::execDone) sponsorThread.stop();
    return eWindow::eventHandler(event);
}

int eMatchrayMainWindow::ucitajPodatke() {
    ListingsLoader::Result loaded = ListingsLoader::load(answerFile, RecordCaps::fromConfig());
    // Spliced, not copied: the records are held once.
    matches.splice(matches.end(), loaded.matches);
    satellites.splice(satellites.end(), loaded.satellites);
    return loaded.status;
}

void eMatchrayMainWindow::saveM(matchray_matches m) {
    matches.push_back(std::move(m));
}

void eMatchrayMainWindow::saveS(matchray_satellites s) {
    satellites.push_back(std::move(s));
}

void eMatchrayMainWindow::get_slike_fix() {
    PictureDownloader::run(std::string(pictureFolder) + "/", matches);
}

void eMatchrayMainWindow::napuniListu() {
    if (!listbox) return;
    listbox->beginAtomic();
    listbox->clearList();
    const PictureCache::Batch pictures;
    for (const matchray_matches& match : matches)
        if (satelliteFilter.qualifies(match.id, filter)) new eMatchrayChoice(listbox, match);
    listbox->endAtomic();
}

void eMatchrayMainWindow::clickBtn0() {
    clickBtn(0);
}
void eMatchrayMainWindow::clickBtn1() {
    clickBtn(1);
}
void eMatchrayMainWindow::clickBtn2() {
    clickBtn(2);
}
void eMatchrayMainWindow::clickBtn3() {
    clickBtn(3);
}

void eMatchrayMainWindow::clickBtn(int index) {
    if (filter == index) {
        setFocus(listbox);
        return;
    }
    // The neighbour shows the normal background; it replaces the old highlight.
    buttons[filter]->setBackgroundColor(buttons[(filter + 1) % 4]->getBackgroundColor(), true);
    filter = index;
    buttons[index]->setBackgroundColor(eSkin::getActive()->queryColor(highlights[index]), true);
    listbox->hide();
    napuniListu();
    listbox->show();
    setFocus(listbox);
}

void eMatchrayMainWindow::selected(eMatchrayChoice* choice) {
    if (!choice) return;
    const int32_t matchId = choice->getMatch().id;

    eMessageBox waitBox("Download data\nPlease wait...", title, noticeFlags, 1, 0);
    waitBox.show();
    const ChannelRequest::Transfer transfer =
        ChannelRequest::fetch(answerFile, matchId, filter, deviceIdentity);
    if (transfer == ChannelRequest::Transfer::cannotCreateFile) return;
    waitBox.hide();

    if (transfer == ChannelRequest::Transfer::failed) {
        eMessageBox error("Can't connect to server!", "Error", errorFlags, 1, 0);
        error.show();
        error.exec();
        error.hide();
        return;
    }

    std::list<match_ray_channels> channels;
    if (!ChannelRequest::readAnswer(answerFile, channels)) return;

    hide();
    // The window keeps the list; nothing here needs it any more.
    detailWindow = new eMatchrayDetailWindow(std::move(channels));
    detailWindow->show();
    detailWindow->exec();
    detailWindow->hide();
    delete detailWindow;
    detailWindow = nullptr;

    setFocus(listbox);
    show();
}

void eMatchrayMainWindow::startThreadSponsor() {
    sponsorThread.start(tickerLabel);
}
