#pragma once
// One match in the main window's list: kick-off and title on the top line, the
// two country pictures and the match picture on the bottom line.

#include "EntryDrawing.h"
#include "PictureCache.h"
#include "eListBox.h"
#include "matchray_matches.h"

class eMatchrayChoice : public eListBoxEntry {
public:
    static constexpr const char* countriesDirectory = "/var/tuxbox/config/pitchside/countries/";

    // The font of every match entry, filled by the first one built.
    static gFont fontf;

    // Appends itself to list.
    eMatchrayChoice(eListBox<eMatchrayChoice>* list, matchray_matches match);
    ~eMatchrayChoice() override;

    const eString& redraw(gPainter* painter, const eRect& rect, gColor coActiveB, gColor coActiveF,
                          gColor coNormalB, gColor coNormalF, int state) override;

    const matchray_matches& getMatch() const { return match; }

private:
    eTextParaPtr leftPara;
    eTextParaPtr titlePara;
    PictureCache::Picture countryPicture1;
    PictureCache::Picture fixPicture;
    PictureCache::Picture countryPicture2;
    matchray_matches match;
};
