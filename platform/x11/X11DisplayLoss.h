#pragma once
// The X server going away (killed, the session ended) while the program runs. Qt and Xlib end
// the process with exit() when their connection breaks; the static destructors that exit() runs
// then meet worker threads still running, and the process dies in std::terminate, which the
// crash reporter takes for a crash. Instead the program says its last words (a log line, the
// log flushed) and ends at once, without running those destructors.

#include <functional>

namespace platform {

// Installs the watch on Qt's connection (its "connection broke" warning) and on every Xlib
// connection (the I/O error handler). `lastWords` runs once, on the thread that noticed the
// loss; then the process ends with code 1. Call once, after the application exists.
void EndCleanlyWhenDisplayLost(std::function<void()> lastWords);

// What the watch does when it notices the loss; `how` says who noticed. Does not return.
[[noreturn]] void DisplayLost(const char* how);

} // namespace platform
