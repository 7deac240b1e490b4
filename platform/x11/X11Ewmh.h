#pragma once
// EWMH helpers shared by the focus and window-list services. Only for platform/ .cpp files
// that hold the connection's lock; Xlib types stay out of this header.

#include <vector>

struct _XDisplay;

namespace platform {

// A 32-bit-format property of `window` of the given type as longs (Xlib's form); empty when it
// is absent or of another type.
std::vector<unsigned long> ReadLongProperty(_XDisplay* display, unsigned long window, const char* name,
                                            unsigned long type);
// The window _NET_ACTIVE_WINDOW names; 0 when none.
unsigned long ReadActiveWindow(_XDisplay* display);
// Asks the window manager to activate `window`, as a pager would (so it is not refused).
bool RequestActivation(_XDisplay* display, unsigned long window);

} // namespace platform
