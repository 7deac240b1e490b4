#pragma once
// The annotation pen's drawing window: it covers the presentation screen with the frozen
// picture and keeps the strokes drawn on it. A segment is drawn into the picture and repaints
// only its own bounding box. A right-button release on it stops the function; message 11025
// wipes the strokes. UI thread.

#include "CWindowWnd.h"
#include "EffectSurface.h"

#include <QImage>

#include <functional>

class PenLayer;
class QWidget;

struct PostilSegment {
    QPoint from; // client pixels of the drawing window (physical)
    QPoint to;
    QColor colour;
    int width = 6;
};

class CPostilDrawWindow final : public CWindowWnd {
public:
    static constexpr UINT WM_CLEAR_POSTIL = 11025;

    // `onRightButtonUp` stops the function; `frozenPart` gives the frozen picture under the
    // covered screen (null image: none).
    CPostilDrawWindow(std::function<void()> onRightButtonUp, std::function<QImage()> frozenPart);
    const char* GetWindowClassName() const override { return "CPostilDrawWindow"; }
    bool Build();
    // Shows the canvas on the compositor's overlay layer instead of the window, where `layer`
    // can put its cover up (null: the window). It must outlive the window's use of it.
    void UseLayer(PenLayer* layer) { m_pLayer = layer; }

    // Covers `surface` with `picture` (its physical size).
    void Cover(const EffectSurface& surface, QImage picture);
    void Draw(const PostilSegment& segment);
    // Puts `picture` back over every stroke.
    void Repaint(QImage picture);
    // Hides the window and frees its picture.
    void Collapse();
    bool IsCovering() const { return m_bCovering; }

    // What the window shows, physical pixels; for tests and benchmarks.
    const QImage& Canvas() const { return m_canvas; }
    // The last rectangle a segment asked to repaint, logical pixels.
    QRect LastDamage() const { return m_lastDamage; }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnCreateWindow(QWidget* host) override;

private:
    std::function<void()> m_onRightButtonUp;
    std::function<QImage()> m_frozenPart;
    QWidget* m_pView = nullptr;
    PenLayer* m_pLayer = nullptr;
    bool m_bOnLayer = false; // the canvas is shown by m_pLayer
    QImage m_canvas;
    EffectSurface m_surface;
    QRect m_lastDamage;
    bool m_bCovering = false;
};
