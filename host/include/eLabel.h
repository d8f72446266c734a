#pragma once
// A line of text, with an optional shortcut picture (the coloured key symbol)
// drawn at the pixmap position. setProperty("align", "left"|"center"|"right").
// The text is centred vertically and starts right of the shortcut picture when
// there is one. Its layout is kept until the text, font or size changes; the
// colours are the widget's (the skin's "eLabel.foreground" unless set), the
// font the skin's "eLabel.font" unless set.

#include "eDecoWidget.h"
#include "gPixmap.h"

class eLabel : public eDecoWidget {
public:
    // flags: flagWrap wraps the text at blanks; without it only '\n' breaks lines.
    enum { flagWrap = 1 };
    explicit eLabel(eWidget* parent, int flags = 0, int takefocus = 0, const char* deco = "eLabel");
    ~eLabel() override;

    // name is a shortcut key name; the host draws its own picture for it: a
    // circle in the skin colour "key.NAME", whose source is "shortcut:NAME".
    void setShortcutPixmap(const eString& name);
    void setPixmapPosition(ePoint position) { pixmapPosition = position; }

    void setProperty(const eString& property, const eString& value) override;
    int eventHandler(const eWidgetEvent& event) override;

protected:
    void redrawWidget(gPainter* painter, const eRect& area) override;

private:
    struct ParaDeleter {
        void operator()(eTextPara* para) const;
    };
    std::unique_ptr<eTextPara, ParaDeleter> para;
    std::unique_ptr<gPixmap> shortcutPixmap;
    ePoint pixmapPosition;
    int align = 0;
    int flags;
};
