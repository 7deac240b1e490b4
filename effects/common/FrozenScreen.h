#pragma once
// The frozen picture of the pen and the magnifier: one capture of the whole virtual screen,
// taken at show and dropped at hide, as a Qt image that owns the captured pixels.

#include "IScreenCapture.h"

struct EffectServices;

#include <QImage>
#include <QPoint>

struct FrozenScreen {
    QImage image;  // null when nothing could be captured
    QPoint origin; // the desktop position of the image's (0, 0), physical pixels

    // Takes the capture; `who` names the caller in the log line of a failure. Any thread.
    static FrozenScreen Capture(platform::IScreenCapture* capture, const char* who);
    // As Capture, once every effect window has left the screen (the previous function's cover,
    // lens or dot must not end up in the picture). A failure is also told to the user, once per
    // run. Not on the UI thread.
    static FrozenScreen CaptureWhenClear(const EffectServices& services, const char* who);
    // The part of the picture under a rectangle of the desktop (physical pixels), black where
    // the picture does not reach.
    QImage Copy(int x, int y, int width, int height) const;
};
