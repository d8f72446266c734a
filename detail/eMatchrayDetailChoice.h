#pragma once
// One channel in the detail window's list: satellite and name on the top line;
// labelled frequency, symbol rate and encryption on the second; a separator at
// the bottom; the HD and free-to-air icons at the right edge.

#include "EntryDrawing.h"
#include "PictureCache.h"
#include "eListBox.h"
#include "match_ray_channels.h"

class eMatchrayDetailChoice : public eListBoxEntry {
public:
    static constexpr const char* hdIconPath = "/var/tuxbox/config/pitchside/images/matchray/hd.png";
    static constexpr const char* ftaIconPath =
        "/var/tuxbox/config/pitchside/images/matchray/fta.png";

    // The font of every channel entry, filled by the first one built.
    static gFont fontf;

    // Appends itself to list.
    eMatchrayDetailChoice(eListBox<eMatchrayDetailChoice>* list, match_ray_channels channel);
    ~eMatchrayDetailChoice() override;

    const eString& redraw(gPainter* painter, const eRect& rect, gColor coActiveB, gColor coActiveF,
                          gColor coNormalB, gColor coNormalF, int state) override;

    const match_ray_channels& getChannel() const { return channel; }

    // "Free To Air", or any text containing "FTA" (case-sensitive).
    static bool isFreeToAir(const eString& encryption);

private:
    void layout(const eRect& rect);

    eTextParaPtr positionPara;
    eTextParaPtr namePara;
    eTextParaPtr freqLabelPara;
    eTextParaPtr symbolLabelPara;
    eTextParaPtr encLabelPara;
    eTextParaPtr freqPara;
    eTextParaPtr symbolPara;
    eTextParaPtr encPara;
    PictureCache::Picture hdPicture;
    PictureCache::Picture ftaPicture;
    match_ray_channels channel;
};
