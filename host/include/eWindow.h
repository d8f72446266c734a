#pragma once
// A top-level window with a title bar and a border around its client area.
// The exit key closes the topmost modal window with reject() (result -1).
// Frame: the title bar is the top titleHeight rows, the border runs along the
// other three sides, so the client area starts at (border, titleHeight) of the
// frame. Skin: "eWindow.background", "eWindow.titleBar", "eWindow.titleText",
// "eWindow.border" and the font "eWindow.TitleBarFont".

#include "eWidget.h"

class eWindow : public eWidget {
public:
    static constexpr int titleHeight = 30;
    static constexpr int border = 2;

    explicit eWindow(int takefocus = 0);
    ~eWindow() override;

    int eventHandler(const eWidgetEvent& event) override;

protected:
    void eraseBackground(gPainter* painter, const eRect& area) override;

private:
    struct ParaDeleter {
        void operator()(eTextPara* para) const;
    };
    std::unique_ptr<eTextPara, ParaDeleter> titlePara;
};
