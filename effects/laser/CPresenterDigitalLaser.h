#pragma once
// The digital laser: a glowing dot centred on the effect point. Every interface call becomes a
// command on a bounded queue that one worker, LaserActionThread, carries out by handing draw
// and hide requests to the host window's UI thread. Moves are dropped, never delayed, when the
// worker lags; show, hide and size steps always get through.

#include "EffectServices.h"
#include "EffectShownState.h"
#include "EffectSizes.h"
#include "IPresenterFunction.h"
#include "OSThread.h"
#include "ObjectManager.h"

#include <memory>
#include <mutex>

class DigitalLaser_UI;

class CPresenterDigitalLaser final : public IPresenterFunction {
public:
    enum LaserCmd : int32_t { LASER_HIDE = 0, LASER_SHOW = 1, LASER_MOVE = 2, LASER_SIZE_UP = 3, LASER_SIZE_DOWN = 4 };
    using enum EffectShownState::State;
    static constexpr int kQueueCapacity = 5;

    // Starts the worker.
    explicit CPresenterDigitalLaser(EffectServices services);
    // Ends the worker after the commands already queued, then drops the windows.
    ~CPresenterDigitalLaser() override;

    void Release() override;
    // Builds the host on the UI thread (waiting for it when called from another thread).
    void Create() override;
    bool Show(EffectPoint point) override;
    void Move(EffectPoint point) override;
    bool Hide(bool force) override;
    bool IsShown() override;
    void SetDoAndUp(EffectPoint point) override;
    void SetDoAndDown(EffectPoint point) override;
    void MovePencil(EffectPoint) override {}
    bool IsScreenShotSaving() override { return false; }
    void ClearPostil() override {}

    // One command of the worker; false ends it.
    bool CircleActionThread();

    int GetShownState();
    // The host, for tests; null before Create. UI thread.
    DigitalLaser_UI* GetWindow() const { return m_pHost.get(); }

private:
    void PushLaserCmd(LaserCmd code, EffectPoint point);
    EffectSize DotSize();

    EffectServices m_services;
    EffectShownState m_shown;
    std::mutex m_lock;
    EffectSize m_dotSize{kLaserDotMin, kLaserDotMin};
    std::unique_ptr<DigitalLaser_UI> m_pHost;
    DigitalLaser_UI* m_pHostForWorker = nullptr; // set once by Create, under m_lock
    ObjectManager m_laserQueue{kQueueCapacity};
    std::unique_ptr<OSThread> m_thread;
};

using LaserActionThread = OSOwnerThread<CPresenterDigitalLaser, &CPresenterDigitalLaser::CircleActionThread>;
