#pragma once
// The check every frozen picture of the test slide must pass: the whole 1280 x 800 output, at
// the desktop's origin, each quarter in its colour up to the edges and the centre. XWayland's
// root window holds no native window, so a picture taken from it fails.

#include "IScreenCapture.h"
#include "SlidePattern.h"

#include <gtest/gtest.h>

#include <utility>

namespace slide {

// Takes `rounds` pictures with `capture`, each checked (what a capture keeps between pictures
// must not spoil the next).
inline void ExpectPicturesOfTheSlide(platform::IScreenCapture& capture, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        platform::CapturedScreen picture;
        ASSERT_TRUE(capture.CaptureVirtualScreen(picture)) << "round " << round;
        ASSERT_EQ(picture.width, 1280);
        ASSERT_EQ(picture.height, 800);
        EXPECT_EQ(picture.originX, 0);
        EXPECT_EQ(picture.originY, 0);
        for (const auto& [x, y] : {std::pair{10, 10}, {1270, 10}, {10, 790}, {1270, 790}, {639, 399}, {640, 400}}) {
            EXPECT_EQ(picture.pixels[static_cast<size_t>(y) * picture.width + x], QuarterColour(x, y, 1280, 800))
                << "at " << x << "," << y << ", round " << round;
        }
    }
}

} // namespace slide
