#pragma once
// A list entry of the test plug-in: a country name laid out once as a text
// paragraph, and the country's flag picture when it could be loaded.

#include <memory>

#include "eListBox.h"
#include "eTextPara.h"
#include "gPixmap.h"

class TestEntry : public eListBoxEntry {
public:
    // Loads "/var/tuxbox/config/pitchside/countries/" + code + ".png".
    TestEntry(eListBox<TestEntry>* list, const eString& country, const eString& code);

    const eString& redraw(gPainter* painter, const eRect& rect, gColor coActiveB, gColor coActiveF,
                          gColor coNormalB, gColor coNormalF, int state) override;
    const eString& getText() const override { return country; }

private:
    struct ParaDeleter {
        void operator()(eTextPara* para) const { para->destroy(); }
    };

    eString country;
    std::unique_ptr<gPixmap> flag;
    std::unique_ptr<eTextPara, ParaDeleter> para;
};
