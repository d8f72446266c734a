#include "EntryDrawing.h"

#include "eSkin.h"
#include "eTextPara.h"
#include "gFBDC.h"
#include "gPainter.h"
#include "gPixmap.h"
#include "gPixmapDC.h"

void eTextParaDeleter::operator()(eTextPara* para) const {
    if (para) para->destroy();
}

void fillEntryFont(gFont& font) {
    if (font.pointSize != 0) return;
    font = eSkin::getActive()->queryFont("global.fixed");
    font.pointSize = 16;
}

eTextParaPtr layoutPara(const eRect& area, const gFont& font, const eString& text, int alignment) {
    eTextParaPtr para(new eTextPara(area, ePoint(-1, -1)));
    para->setFont(font);
    para->renderString(text, 0);
    para->realign(alignment);
    return para;
}

void drawPicture(gPainter& painter, gPixmap& picture, ePoint position) {
    {
        gPixmapDC pictureDC(&picture);
        gPainter merge(pictureDC, eRect());
        merge.mergePalette(gFBDC::getInstance()->getPixmap());
    }
    painter.blit(picture, position, gPainter::BF_ALPHATEST, eRect());
}
