#pragma once
// The spotlight effect: darkens the presentation screen except a rounded hole that follows the
// effect point. Every operation runs under the controller's lock; the window work itself is
// handed to the UI thread by Searchlight_UI.

#include "EffectServices.h"
#include "IPresenterFunction.h"

#include <memory>
#include <mutex>

class Searchlight_UI;

class CPresenterSearchLight final : public IPresenterFunction {
public:
    explicit CPresenterSearchLight(EffectServices services);
    ~CPresenterSearchLight() override;

    void Release() override;
    // Builds the window on the UI thread (waiting for it when called from another thread).
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

    // The window, for tests; null before Create. UI thread.
    Searchlight_UI* GetWindow() const { return m_pWindow.get(); }

private:
    void SizeStep(bool up, EffectPoint point);

    EffectServices m_services;
    std::mutex m_lock;
    bool m_bShown = false;
    bool m_bCreated = false;
    std::unique_ptr<Searchlight_UI> m_pWindow;
};
