// A stand-in for the snapshot plug-in: the four entry points plus controls for the tests. Snapshot
// blocks until CancelSnapshot or FakeSnapshotFinish, and moves the current folder away the way a
// save dialog may. Built once with every entry point and once (FAKE_SNAPSHOT_MINIMAL) with only
// Snapshot, to check that missing ones are skipped.

#include "ScreenSnapshotApi.h"

#include <unistd.h>

#include <condition_variable>
#include <mutex>

namespace {
std::mutex g_lock;
std::condition_variable g_changed;
ScreenSnapshotCallback g_callback = nullptr;
int g_snapshots = 0;
int g_shows = 0;
int g_cancels = 0;
bool g_inSnapshot = false;
bool g_finish = false;
bool g_holdEntry = false; // Snapshot waits at its door, as a capture thread just started may
} // namespace

extern "C" {

__attribute__((visibility("default"))) void Snapshot()
{
    std::unique_lock<std::mutex> lock(g_lock);
    ++g_snapshots;
    g_changed.notify_all();
    g_changed.wait(lock, [] { return !g_holdEntry; });
    g_inSnapshot = true;
    g_changed.notify_all();
    // Like the real plug-in: the start is reported once the capture runs, outside the lock.
    if (ScreenSnapshotCallback callback = g_callback) {
        lock.unlock();
        callback(KVO_SCREEN_SHOT_INI);
        lock.lock();
    }
    g_changed.wait(lock, [] { return g_finish; });
    g_finish = false;
    g_inSnapshot = false;
    if (chdir("/") != 0) {
    }
    g_changed.notify_all();
}

// Test controls.
__attribute__((visibility("default"))) int FakeSnapshotCount(char which)
{
    std::lock_guard<std::mutex> guard(g_lock);
    return which == 's' ? g_snapshots : which == 'w' ? g_shows : g_cancels;
}

__attribute__((visibility("default"))) bool FakeSnapshotWaitInSnapshot(bool inside)
{
    std::unique_lock<std::mutex> lock(g_lock);
    return g_changed.wait_for(lock, std::chrono::seconds(10), [&] { return g_inSnapshot == inside; });
}

__attribute__((visibility("default"))) void FakeSnapshotHoldEntry(bool hold)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_holdEntry = hold;
    g_changed.notify_all();
}

__attribute__((visibility("default"))) void FakeSnapshotFinish()
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_finish = true;
    g_changed.notify_all();
}

__attribute__((visibility("default"))) int FakeSnapshotCall(int code)
{
    ScreenSnapshotCallback callback = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        callback = g_callback;
    }
    return callback != nullptr ? callback(code) : -1;
}

#ifndef FAKE_SNAPSHOT_MINIMAL
__attribute__((visibility("default"))) void SetCallBackFunction(ScreenSnapshotCallback callback)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_callback = callback;
}

__attribute__((visibility("default"))) void ShowSnapshot()
{
    std::lock_guard<std::mutex> guard(g_lock);
    ++g_shows;
}

__attribute__((visibility("default"))) void CancelSnapshot()
{
    std::lock_guard<std::mutex> guard(g_lock);
    ++g_cancels;
    if (g_inSnapshot) {
        g_finish = true;
        g_changed.notify_all();
    }
}
#endif
}
