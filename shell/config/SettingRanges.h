#pragma once
// The values the settings pages can give each setting: the slider ranges, the choices of the
// buttons and the checks of the text fields. The pages and the checked access by name
// (CSettingAccess) both go by them, so a value typed elsewhere is held to what a page can set.

#include <array>
#include <string>

constexpr int kMinCursorSpeed = 0;
constexpr int kMaxCursorSpeed = 80;
constexpr int kMinShockIntensity = 1;
constexpr int kMaxShockIntensity = 3;
constexpr int kMinLineSize = 4;
constexpr int kMaxLineSize = 10;
constexpr int kLineColorCount = 4;
constexpr int kLaserColorCount = 3;
// HotKey values start at 2: entry i of the page's list stands for HotKey i + 2.
constexpr int kHotKeyBase = 2;
constexpr int kHotKeyItems = 3;
constexpr std::array<float, 3> kZoomMoms = {1.5f, 2.0f, 2.5f};
// The lens sliders: border round 0..100 stored as v / 200, aspect ratio 30..100 stored as
// v / 100 (never below kLeastAspectRatio), transparency from the page's least value to 100 stored
// as v * 255 / 100.
constexpr int kLensRoundSteps = 200;
constexpr int kLensRoundSliderMax = 100;
constexpr int kLensAspectSliderMin = 30;
constexpr int kLensAspectSliderMax = 100;
constexpr float kLeastAspectRatio = 0.3f;
constexpr int kSpotlightLeastAlpha = 20;
constexpr int kZoomLeastAlpha = 0;
constexpr int LensAlphaOf(int sliderValue) { return sliderValue * 255 / 100; }
constexpr float LensRoundOf(int sliderValue) { return static_cast<float>(sliderValue) / kLensRoundSteps; }
constexpr float LensAspectOf(int sliderValue)
{
    const float ratio = static_cast<float>(sliderValue / 100.0);
    return ratio < kLeastAspectRatio ? kLeastAspectRatio : ratio;
}

// Letters, digits and "- . / ? : @ & = _ + ~ # %": what the web-address field stores.
bool IsAcceptedWebAddress(const std::string& text);
// The custom actions the page offers a slot (0 presenter, 1 mouse-type device).
bool IsOfferedCustomAction(int action, int slot);
