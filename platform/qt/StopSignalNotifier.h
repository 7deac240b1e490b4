#pragma once
// SIGTERM and SIGINT delivered as an ordinary call on the event loop's thread, so a program with
// windows can end the way its own close command does. The signal handler only writes a byte into
// a socket pair; a socket notifier reads it on the loop.

#include <functional>

class QObject;

namespace platform {

class StopSignalNotifier {
public:
    // Installs the handlers once per process; `onStop` then runs on the thread of `parent`, which
    // owns the notifier. When the socket pair cannot be made the signals keep their defaults and
    // the reason goes to standard error.
    static void Install(QObject* parent, std::function<void()> onStop);
};

} // namespace platform
