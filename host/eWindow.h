#pragma once
// A top-level window with a title bar and a border around its client area.
// The exit key closes the topmost modal window with reject() (result -1).

#include "eWidget.h"

class eWindow : public eWidget {
public:
    static constexpr int titleHeight = 30;
    static constexpr int border = 2;

    explicit eWindow(int takefocus = 0);

    int eventHandler(const eWidgetEvent& event) override;
    const char* kind() const override { return "eWindow"; }

protected:
    void redrawFrame(gPainter* painter) override;
    void recalcClientRect() override;
    eSize frameSizeFor(eSize clientSize) const override;
    ePoint clientOffset() const override;
    void textChanged() override;

private:
    struct ParaDeleter {
        void operator()(eTextPara* para) const;
    };
    std::unique_ptr<eTextPara, ParaDeleter> titlePara;
};
