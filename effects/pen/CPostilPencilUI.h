#pragma once
// The annotation pen's pencil ("PostilPencilUI.xml"): a 32 x 32 click-through picture whose
// top-left corner follows the point, drawing or not. UI thread.

#include "EffectSurface.h"
#include "UIlib.h"

class CPostilPencilUI final : public WindowImplBase {
public:
    static constexpr int kSide = 32;

    CPostilPencilUI();
    const char* GetWindowClassName() const override { return "CPostilPencilUI"; }
    bool Build();

    // Places the pencil with its top-left corner on the physical point (x, y) of `surface`.
    // Without a compositor the window is shaped from the picture, so no black square shows.
    void PlaceAt(const EffectSurface& surface, int x, int y, bool composited);
    void Collapse();
    bool IsVisible() const { return m_bVisible; }

    void InitWindow() override;

private:
    bool m_bVisible = false;
    int m_shapedFor = -1; // 1 shaped (no compositor), 0 unshaped, -1 not set
};
