#pragma once
// The size arithmetic of the spotlight hole and the laser dot: plain functions, so the steps
// and limits can be checked without windows.

#include "IPresenterFunction.h"

// The spotlight's hole around a point of its window: a rounded rectangle in physical pixels.
struct SearchlightHole {
    EffectRect rect;
    int roundX = 0; // border round: the corner ellipse's full width and height
    int roundY = 0;
};
// The hole is drawn from the width alone: its height is width x aspect ratio, its corners
// width x roundness by height x roundness (all truncated toward zero).
SearchlightHole SearchlightHoleAt(EffectPoint centre, int width, float aspectRatio, float borderRound);

struct EffectSize {
    int width = 0;
    int height = 0;
    bool operator==(const EffectSize&) const = default;
};

// One step of the spotlight: 30 pixels on a large screen, else 15. Up only while the width is
// below half the screen width, down only while it is above 213. True when the size changed.
bool SearchlightStepUp(EffectSize& size, int screenWidth, bool largeScreen);
bool SearchlightStepDown(EffectSize& size, bool largeScreen);

// The laser dot: 28 to 280 pixels a side, steps of 28 (56 up on a large screen).
constexpr int kLaserDotMin = 28;
constexpr int kLaserDotMax = 280;
EffectSize LaserStepUp(EffectSize size, bool largeScreen);
EffectSize LaserStepDown(EffectSize size);
EffectSize LaserClamp(EffectSize size);

// The magnifier's lens: the area of the frozen picture it enlarges for a point of that picture,
// with zoom factor `zoom` (float arithmetic, truncated toward zero as the lens is drawn).
struct LensSource {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
LensSource LensSourceAt(EffectPoint capturePoint, int lensWidth, int lensHeight, float zoom);
// The lens height for a width: width x aspect ratio, truncated.
int LensHeight(int width, float aspectRatio);
