#pragma once
// The annotation pen: freezes the presentation screen and lets the presenter draw freehand on
// the frozen picture. Motion reaches the drawing through a queue of five points served by one
// motion thread; excess motion is dropped, never blocking the caller. Every interface call runs
// under the controller's lock.

#include "CPostilAnnotation.h"
#include "EffectMotionQueue.h"
#include "EffectServices.h"
#include "IPresenterFunction.h"

#include <memory>
#include <mutex>

class CPresenterPostil final : public IPresenterFunction {
public:
    static constexpr int kMotionCapacity = 5;

    explicit CPresenterPostil(EffectServices services);
    ~CPresenterPostil() override;

    void Release() override {}
    void Create() override;
    bool Show(EffectPoint point) override;
    void Move(EffectPoint point) override;
    bool Hide(bool force) override;
    bool IsShown() override;
    void SetDoAndUp(EffectPoint point) override;
    void SetDoAndDown(EffectPoint point) override;
    void MovePencil(EffectPoint point) override;
    bool IsScreenShotSaving() override { return false; }
    void ClearPostil() override;

    CPostilAnnotation* GetAnnotation() const { return m_pAnnotation.get(); }
    int MotionQueueSize() { return m_motion.Size(); }

private:
    std::mutex m_lock;
    bool m_bShown = false;
    std::unique_ptr<CPostilAnnotation> m_pAnnotation;
    EffectMotionQueue m_motion;
};
