#pragma once
// A windowless program's end: the session's stop signals (SIGTERM, SIGINT, SIGHUP) are taken by
// one waiting thread instead of a handler, so the program stops its workers in plain code.

namespace platform {

class StopSignalWait {
public:
    // Blocks the stop signals in the calling thread, so every thread it starts from now on has
    // them blocked as well, and lets the kernel reap ended children (SIGCHLD ignored): programs
    // started from here are never waited for. Call it before starting any thread.
    StopSignalWait();
    StopSignalWait(const StopSignalWait&) = delete;
    StopSignalWait& operator=(const StopSignalWait&) = delete;

    // Returns the number of the stop signal once one comes.
    int Wait();
};

} // namespace platform
