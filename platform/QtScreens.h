#pragma once
// The monitor list read from Qt. Call it on the UI thread (QGuiApplication owns the screens).

#include "IScreens.h"

namespace platform {

class QtScreens final : public IScreens {
public:
    // QGuiApplication::screens() order, which puts the primary screen first.
    std::vector<ScreenRect> Monitors() const override;
};

} // namespace platform
