#pragma once
// A line of text, with an optional shortcut picture (the coloured key symbol)
// drawn at the pixmap position. setProperty("align", "left"|"center"|"right").

#include "eDecoWidget.h"
#include "gPixmap.h"

class eLabel : public eDecoWidget {
public:
    explicit eLabel(eWidget* parent, int flags = 0, int takefocus = 0, const char* deco = "eLabel");
    ~eLabel() override;

    // name is a shortcut key name; the host draws its own picture for it.
    void setShortcutPixmap(const eString& name);
    void setPixmapPosition(ePoint position) { pixmapPosition = position; }

    void setProperty(const eString& property, const eString& value) override;
    const char* kind() const override { return "eLabel"; }

protected:
    void redrawWidget(gPainter* painter, const eRect& area) override;
    void textChanged() override;

private:
    struct ParaDeleter {
        void operator()(eTextPara* para) const;
    };
    std::unique_ptr<eTextPara, ParaDeleter> para;
    std::unique_ptr<gPixmap> shortcutPixmap;
    ePoint pixmapPosition;
    int align = 0;
};
