#include "eMatchrayChoice.h"

#include "SafeFile.h"
#include "eTextPara.h"
#include "gPainter.h"

gFont eMatchrayChoice::fontf;

namespace {

// A name that would leave its directory is never loaded.
PictureCache::Picture loadNamed(const char* directory, const eString& name, const char* suffix) {
    if (!SafeFile::isSafeName(name)) return nullptr;
    return PictureCache::get(directory + name + suffix);
}

}  // namespace

eMatchrayChoice::eMatchrayChoice(eListBox<eMatchrayChoice>* list, matchray_matches match)
    : eListBoxEntry(list), match(std::move(match)) {
    countryPicture1 = loadNamed(countriesDirectory, this->match.country1, ".png");
    fixPicture = loadNamed("/tmp/", this->match.picture, "");
    countryPicture2 = loadNamed(countriesDirectory, this->match.country2, ".png");
    fillEntryFont(fontf);
}

eMatchrayChoice::~eMatchrayChoice() {
    leftPara.reset();
    titlePara.reset();
}

const eString& eMatchrayChoice::redraw(gPainter* painter, const eRect& rect, gColor coActiveB,
                                       gColor coActiveF, gColor coNormalB, gColor coNormalF,
                                       int state) {
    drawEntryRect(painter, rect, coActiveB, coActiveF, coNormalB, coNormalF, state);

    // Laid out once, for the first rectangle drawn.
    const int lineHeight = rect.height() - 30;
    if (!leftPara)
        leftPara =
            layoutPara(eRect(0, 0, 100, lineHeight), fontf, match.kickoff, eTextPara::dirLeft);
    painter->renderPara(*leftPara, ePoint(0, rect.top() + 5));
    if (!titlePara)
        titlePara = layoutPara(eRect(110, 0, rect.width() - 110, lineHeight), fontf, match.title,
                               eTextPara::dirLeft);
    painter->renderPara(*titlePara, ePoint(0, rect.top() + 5));

    const int y = rect.bottom() - 20;
    if (countryPicture1) drawPicture(*painter, *countryPicture1, ePoint(0, y));
    if (fixPicture) drawPicture(*painter, *fixPicture, ePoint(30, y));
    if (countryPicture2) drawPicture(*painter, *countryPicture2, ePoint(310, y));
    return match.title;
}
