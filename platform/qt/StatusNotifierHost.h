#pragma once
// Whether the session bus has a StatusNotifierItem tray: a watcher, and a host registered with it.

namespace platform {

enum class StatusNotifierHost { NoWatcher, WatcherOnly, Registered };

// Asks the session bus, waiting at most a quarter of a second for the watcher's answer: it runs
// on the UI thread once a second until a tray appears. NoWatcher without a session bus, and in a
// build without D-Bus.
StatusNotifierHost QueryStatusNotifierHost();

} // namespace platform
