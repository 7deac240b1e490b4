#pragma once
// The annotation pen's drawing state: colour, width, the stroke's last point and whether the
// frozen picture covers the screen, plus the three windows (drawing window, pencil, tip). Any
// thread may call it; each call takes its own lock and hands its window work to the UI thread
// as requests carried out in order, so no segment is lost and none is drawn after a hide.

#include "EffectServices.h"
#include "EffectSurface.h"
#include "FrozenScreen.h"
#include "PostilColor.h"

#include <memory>
#include <mutex>

class CPostilDrawWindow;
class CPostilPencilUI;
class CPostilPencilTipUI;

class CPostilAnnotation {
public:
    explicit CPostilAnnotation(EffectServices services);
    ~CPostilAnnotation();

    // Builds the windows on the UI thread (waiting for it from another thread).
    bool CreateWindows();
    // Covers the screen with a new frozen picture unless it is covered already; the pencil to `point`.
    void ShowStep(EffectPoint point);
    void HideStep();
    // The pencil to `point` and, while a stroke is in progress, a segment to it.
    void DrawSegmentTo(EffectPoint point);
    void MovePencil(EffectPoint point);
    // Puts the frozen picture back over the strokes.
    void Clear();
    // One width step; the tip shows the new width.
    int StepWidth(bool up);

    int PenWidth();
    PostilColor Colour();
    EffectPoint LastPoint();

    // UI thread, for tests and benchmarks; null before CreateWindows.
    CPostilDrawWindow* DrawWindow() const;
    CPostilPencilUI* Pencil() const;
    CPostilPencilTipUI* Tip() const;

private:
    struct View;

    EffectServices m_services;
    std::mutex m_lock;
    int m_nColorCode = POSTIL_RAINBOW;
    PostilColor m_colour;
    int m_nPenWidth = 6;
    EffectPoint m_lastPoint{0, 0}; // client pixels; (0, 0): no stroke in progress
    platform::ScreenRect m_screen;
    bool m_bCovering = false;
    std::shared_ptr<View> m_view;
};
