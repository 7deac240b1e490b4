#pragma once
// The magnifier's dim layer ("ZoomUI.xml"): a click-through cover over the presentation screen
// behind the lens. With a compositor it is black at AlphaVal/255 over the live screen. Without
// one alpha means nothing, so it shows the frozen picture of the screen darkened by the same
// amount: the screen looks the same either way and never turns black. Created hidden by the
// main page; UI thread.

#include "EffectSurface.h"
#include "UIlib.h"

#include <QImage>

#include <memory>

class QObject;

class Zoom_UI final : public WindowImplBase {
public:
    Zoom_UI();
    ~Zoom_UI() override;

    const char* GetWindowClassName() const override { return "Zoom_UI"; }
    // Builds the collapsed window.
    bool Build();

    // Covers `surface` dimmed by `alpha` (0..255). Without a compositor `frozen` (the picture of
    // the whole desktop, its (0, 0) at `frozenOrigin`) is drawn darkened instead.
    void Cover(const EffectSurface& surface, int alpha, bool composited, const QImage& frozen, QPoint frozenOrigin);
    // Hides the layer and drops its picture.
    void Collapse();
    bool IsCovering() const { return m_bCovering; }

    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    // Closes the window for good (the settings window's preview ends with it).
    void CloseProcedure();

    // What the layer paints without a compositor; for tests.
    const QImage& Fallback() const { return m_fallback; }

private:
    CControlUI* m_pBackground = nullptr;
    std::unique_ptr<QObject> m_pPainter;
    QImage m_fallback;
    bool m_bCovering = false;
};
