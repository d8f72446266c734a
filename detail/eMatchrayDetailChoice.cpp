#include "eMatchrayDetailChoice.h"

#include "eSkin.h"
#include "eTextPara.h"
#include "gPainter.h"

gFont eMatchrayDetailChoice::fontf;

namespace {

void setLabelColor(gPainter& painter) {
    painter.setForegroundColor(eSkin::getActive()->queryColor("std_dblue"));
}

// One column of the second line: the label in "std_dblue", the value in the
// normal text colour, whatever the entry's state.
void drawLabelled(gPainter& painter, eTextPara& label, int labelX, eTextPara& value, int valueX,
                  int y, const gColor& normalText) {
    setLabelColor(painter);
    painter.renderPara(label, ePoint(labelX, y));
    painter.setForegroundColor(normalText);
    painter.renderPara(value, ePoint(valueX, y));
}

}  // namespace

eMatchrayDetailChoice::eMatchrayDetailChoice(eListBox<eMatchrayDetailChoice>* list,
                                             match_ray_channels channel)
    : eListBoxEntry(list), channel(std::move(channel)) {
    hdPicture = PictureCache::get(hdIconPath);
    ftaPicture = PictureCache::get(ftaIconPath);
    fillEntryFont(fontf);
}

eMatchrayDetailChoice::~eMatchrayDetailChoice() {
    positionPara.reset();
    namePara.reset();
    freqLabelPara.reset();
    symbolLabelPara.reset();
    encLabelPara.reset();
    freqPara.reset();
    symbolPara.reset();
    encPara.reset();
}

bool eMatchrayDetailChoice::isFreeToAir(const eString& encryption) {
    return encryption == "Free To Air" || encryption.find("FTA") != eString::npos;
}

// Lays every paragraph out for the first rectangle drawn; later draws reuse them.
void eMatchrayDetailChoice::layout(const eRect& rect) {
    const int W = rect.width();
    const int lineHeight = rect.height() - 30;
    const int left = eTextPara::dirLeft;
    const int right = eTextPara::dirRight;
    const eString symbol = eString().sprintf("%d-", channel.symbol_rate) + channel.fec;

    positionPara = layoutPara(eRect(0, 0, 50, lineHeight), fontf,
                              channel.sat_position + channel.sat_direction, right);
    namePara = layoutPara(eRect(0, 0, W - 105, lineHeight), fontf, channel.name, left);
    freqLabelPara = layoutPara(eRect(0, 0, 50, 25), fontf, "freq:", right);
    freqPara =
        layoutPara(eRect(0, 0, 60, 25), fontf, channel.frequency + channel.polarisation, right);
    symbolLabelPara = layoutPara(eRect(0, 0, 50, 25), fontf, "symbol:", right);
    symbolPara = layoutPara(eRect(0, 0, 70, 25), fontf, symbol, right);
    encLabelPara = layoutPara(eRect(0, 0, 40, 25), fontf, "enc:", right);
    encPara = layoutPara(eRect(0, 0, W - 360, 25), fontf, channel.encryption, left);
}

const eString& eMatchrayDetailChoice::redraw(gPainter* painter, const eRect& rect, gColor coActiveB,
                                             gColor coActiveF, gColor coNormalB, gColor coNormalF,
                                             int state) {
    drawEntryRect(painter, rect, coActiveB, coActiveF, coNormalB, coNormalF, state);
    if (!positionPara) layout(rect);

    const int W = rect.width();
    const int top = rect.top();
    const int bottom = rect.bottom();

    painter->renderPara(*positionPara, ePoint(0, top + 5));
    painter->renderPara(*namePara, ePoint(55, top + 5));

    drawLabelled(*painter, *freqLabelPara, 0, *freqPara, 55, top + 25, coNormalF);
    drawLabelled(*painter, *symbolLabelPara, 135, *symbolPara, 190, top + 25, coNormalF);
    drawLabelled(*painter, *encLabelPara, 265, *encPara, 310, top + 25, coNormalF);

    setLabelColor(*painter);
    painter->line(ePoint(4, bottom - 1), ePoint(W - 8, bottom - 1));
    painter->setForegroundColor(coNormalF);

    if (channel.hd == 1 && hdPicture) drawPicture(*painter, *hdPicture, ePoint(W - 48, top + 1));
    if (isFreeToAir(channel.encryption) && ftaPicture)
        drawPicture(*painter, *ftaPicture, ePoint(W - 48, bottom - 24));
    return channel.name;
}
