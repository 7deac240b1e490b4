#pragma once
// What the function manager asks of every on-screen effect. One instance of each effect lives
// for the whole run; the manager drives it from its play/stop worker and the motion thread.

#include <cstdint>

struct EffectPoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct EffectRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class IPresenterFunction {
public:
    virtual ~IPresenterFunction() = default;
    // Gives up what Create made; the object itself stays.
    virtual void Release() = 0;
    // Makes the effect's windows, threads and queues.
    virtual void Create() = 0;
    // Shows the effect at `point`; whether it is shown now.
    virtual bool Show(EffectPoint point) = 0;
    virtual void Move(EffectPoint point) = 0;
    // True when the effect was hidden. Without force, an effect set to stay on stop stays and
    // returns false.
    virtual bool Hide(bool force) = 0;
    virtual bool IsShown() = 0;
    // One size step up or down around `point`.
    virtual void SetDoAndUp(EffectPoint point) = 0;
    virtual void SetDoAndDown(EffectPoint point) = 0;
    // Annotation pen: moves the pen without drawing. Others: nothing.
    virtual void MovePencil(EffectPoint point) = 0;
    // Screenshot bridge: a capture is being saved. Others: false.
    virtual bool IsScreenShotSaving() = 0;
    // Annotation pen: wipes the drawing. Others: nothing.
    virtual void ClearPostil() = 0;
};
