#pragma once
// The magnifier: freezes the screen when it starts and shows an enlarged part of that picture
// in a lens centred on the effect point, over a dimmed presentation screen. Show and hide are
// commands of MagnifyActionThread; moves and size steps go through a motion queue of two nodes
// to the motion thread, so the lens never lags more than two positions behind. Both threads
// only record what the windows should show; the UI thread draws the newest record at most 40
// times a second, so painting and hiding can never overlap.

#include "EffectMotionQueue.h"
#include "EffectServices.h"
#include "EffectShownState.h"
#include "EffectSizes.h"
#include "IPresenterFunction.h"
#include "IScreens.h"
#include "OSThread.h"
#include "ObjectManager.h"

#include <memory>
#include <mutex>

class KVOMagnifyManager final : public IPresenterFunction {
public:
    enum MagnifyCmd : int32_t { MAGNIFY_HIDE = 0, MAGNIFY_SHOW = 1 };
    enum MotionType : int32_t { MAGNIFY_MOVE = 2, MAGNIFY_SIZE_UP = 3, MAGNIFY_SIZE_DOWN = 4 };
    using enum EffectShownState::State;
    static constexpr int kQueueCapacity = 5;
    static constexpr int kMotionCapacity = 2;

    // Starts MagnifyActionThread.
    explicit KVOMagnifyManager(EffectServices services);
    // Ends both threads after what they hold; the windows stay (the program frees them).
    ~KVOMagnifyManager() override;

    void Release() override {}
    // The lens (when there is none yet) and the motion thread.
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

    // One command of MagnifyActionThread; false ends it.
    bool CircleActionThread();

    int GetShownState();
    EffectSize LensSize();
    int MotionQueueSize() { return m_motion.Size(); }

    // The settings taken at every show.
    struct Snapshot {
        platform::ScreenRect screen;
        float zoom = 2.0f;
        bool saveStatu = false;
        bool showMouse = false;
        float aspectRatio = 0.5f;
        float borderRound = 0.5f;
        int alpha = 100;
        bool composited = false;
    };

private:
    struct View;

    void PushMagnifyCmd(MagnifyCmd code, EffectPoint point);
    void PushMotion(MotionType type, EffectPoint point);
    void ShowStep();
    void HideStep();
    void HandleMotion(const uint8_t* data, uint32_t used);
    void SizeStep(bool up);

    EffectServices m_services;
    EffectShownState m_shown;
    std::mutex m_lock;
    Snapshot m_snapshot;
    EffectSize m_lens;
    EffectPoint m_lastPoint;
    std::shared_ptr<View> m_view;
    ObjectManager m_magnifyQueue{kQueueCapacity};
    std::unique_ptr<OSThread> m_thread;
    EffectMotionQueue m_motion;
};

using MagnifyActionThread = OSOwnerThread<KVOMagnifyManager, &KVOMagnifyManager::CircleActionThread>;
