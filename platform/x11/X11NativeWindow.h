#pragma once
// Direct requests on Qt's own X connection for what Qt makes costly when done 100 times a second.

#include <cstdint>

class QWindow;

namespace platform {

// Moves a shown top-level window to (x, y) in physical pixels of the virtual screen with one
// request and no round trip. QWidget::move first asks the server for the frame extents (a walk
// up the window tree) and rewrites the size hints at every call. Qt learns the new position
// from the server's notification, as after any move. False without an X11 connection or a
// native window (the caller then moves it through Qt).
bool MoveNativeWindow(QWindow* window, int x, int y);

// Qt answers every move notification of a top-level window with more round trips: it asks for
// the position again and, without a window manager, walks the window tree for the frame. For a
// window moved with MoveNativeWindow many times a second, this stops the server sending the
// window its structure notifications (moves, maps, unmaps) and returns the event mask to give
// back, 0 when nothing was changed. Restore it before hiding the window, then tell Qt where
// the window is: until then Qt keeps the position it last knew. One round trip.
std::uint32_t MuteStructureNotifications(QWindow* window);
void RestoreEventMask(QWindow* window, std::uint32_t mask);

// Sends what Qt has queued on its X connection and waits until the server has carried it out
// (one round trip): windows hidden before the call are unmapped once it returns. UI thread.
void SyncWithServer();

} // namespace platform
