#pragma once
// The monitor list read from Qt. Call it on the UI thread (QGuiApplication owns the screens).

#include "IScreens.h"

namespace platform {

class QtScreens final : public IScreens {
public:
    // QGuiApplication::screens() order, which puts the primary screen first.
    std::vector<ScreenRect> Monitors() const override;
};

// The one place where physical pixels meet Qt's logical ones. Qt scales each screen about its
// own top-left corner (which keeps its physical position), by its device pixel ratio; so a
// rectangle maps through the screen that holds its centre (the nearest one when none does, the
// identity without screens). A monitor of Monitors() maps onto that screen's logical geometry.
// UI thread.
ScreenRect LogicalFromPhysical(const ScreenRect& physical);
// How that screen scales: its top-left corner (the same in both systems) and its ratio of
// physical to logical pixels; the identity without screens. UI thread.
struct ScreenScale {
    int originX = 0;
    int originY = 0;
    double ratio = 1.0;
};
ScreenScale ScaleForPhysical(const ScreenRect& physical);
// Every monitor of `screens`, mapped so.
std::vector<ScreenRect> LogicalMonitors(const IScreens& screens);

} // namespace platform
