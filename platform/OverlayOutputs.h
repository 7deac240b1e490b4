#pragma once
// The monitor list where the effects are the compositor's overlay surfaces: the compositor's own
// outputs at their logical places, which is where those surfaces go, whatever XWayland makes of
// the layout. `fallback` answers while the compositor names none. Any thread.

#include "IOverlaySurfaces.h"
#include "IScreens.h"

namespace platform {

class OverlayOutputs final : public IScreens {
public:
    // Both must outlive this object.
    OverlayOutputs(const IOverlaySurfaces& overlays, const IScreens& fallback) : m_overlays(overlays), m_fallback(fallback) {}

    std::vector<ScreenRect> Monitors() const override
    {
        std::vector<ScreenRect> outputs = m_overlays.Outputs();
        return outputs.empty() ? m_fallback.Monitors() : outputs;
    }

private:
    const IOverlaySurfaces& m_overlays;
    const IScreens& m_fallback;
};

} // namespace platform
