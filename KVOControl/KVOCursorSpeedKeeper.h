#pragma once
// The cursor speed keeper: derives the speed scale that motion deltas are multiplied by while an
// on-screen effect follows the remote, from the height of the primary screen, and keeps it up to
// date when the screen size changes.

#include "ICursorSpeedScale.h"
#include "IScreens.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <thread>

constexpr int KVO_CURSOR_BASE_SPEED = 72;
constexpr int KVO_SCREEN_WATCH_MS = 1000;

// 1.0 up to 720 rows, then tenths of height / 720, and 3.0 from 2160 rows on.
float SpeedScaleForHeight(int height);

class KVOCursorSpeedKeeper final : public ICursorSpeedScale {
public:
    // Reads the primary screen of `screens` (which must be callable from any thread and outlive
    // the keeper) and starts the watcher when `watch` is set.
    explicit KVOCursorSpeedKeeper(const platform::IScreens& screens, bool watch = true);
    ~KVOCursorSpeedKeeper() override;
    KVOCursorSpeedKeeper(const KVOCursorSpeedKeeper&) = delete;
    KVOCursorSpeedKeeper& operator=(const KVOCursorSpeedKeeper&) = delete;

    // The process-wide keeper, created on first call from the screens set by SetScreens (no
    // screens: scale 1.0 and no watcher).
    static KVOCursorSpeedKeeper& GetInstance();
    // Ends the process-wide keeper and its watcher; the next GetInstance creates a new one. Only
    // for tests: the presenter service may hold the keeper.
    static void DestroyInstance();
    // Where the process-wide keeper reads the screen size, from now on; null: no monitor known.
    static void SetScreens(const platform::IScreens* screens);

    // The watcher runs while the link runs; both are safe to repeat.
    void StartWatcher();
    void StopWatcher();

    float GetSpeedScale() const override;
    int GetBaseValue() const;
    // One pass of the watcher: re-reads the screen size; true when the scale changed.
    bool CheckScreenSize();

private:
    void Watch();

    std::atomic<const platform::IScreens*> m_screens;
    mutable std::shared_mutex m_lock;
    int m_baseValue = KVO_CURSOR_BASE_SPEED;
    float m_scale = 1.0f;
    int m_width = 0;
    int m_height = 0;
    std::mutex m_stopLock;
    std::condition_variable m_stopSignal;
    bool m_running = false;
    std::thread m_watcher;
};
