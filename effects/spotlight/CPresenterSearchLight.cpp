#include "CPresenterSearchLight.h"

#include "ConfigManager.h"
#include "EffectSizes.h"
#include "IPresentationScreen.h"
#include "KVOLog.h"
#include "PresentationScreen.h"
#include "Searchlight_UI.h"
#include "UiThread.h"

CPresenterSearchLight::CPresenterSearchLight(EffectServices services) : m_services(std::move(services)) {}

CPresenterSearchLight::~CPresenterSearchLight()
{
    // The window belongs to the UI thread; from elsewhere it goes there to be deleted.
    if (m_pWindow) {
        Searchlight_UI* window = m_pWindow.release();
        CallOnUiThread([window] { delete window; }, false);
    }
}

void CPresenterSearchLight::Release()
{
    std::lock_guard lock(m_lock);
}

void CPresenterSearchLight::Create()
{
    std::lock_guard lock(m_lock);
    if (m_bCreated)
        return;
    CallOnUiThread(
        [this] {
            auto window = std::make_unique<Searchlight_UI>(m_services);
            if (window->Build())
                m_pWindow = std::move(window);
        },
        true);
    m_bCreated = m_pWindow != nullptr;
    if (!m_bCreated)
        WriteLog(KVO_LOG_ERROR, "CPresenterSearchLight::Create failed");
}

bool CPresenterSearchLight::Show(EffectPoint point)
{
    std::lock_guard lock(m_lock);
    if (!m_bCreated)
        return false;
    m_pWindow->ShowStep(point);
    m_bShown = true;
    return true;
}

void CPresenterSearchLight::Move(EffectPoint point)
{
    std::lock_guard lock(m_lock);
    if (m_bCreated)
        m_pWindow->PlaceHole(point);
}

bool CPresenterSearchLight::Hide(bool force)
{
    std::lock_guard lock(m_lock);
    if (!force && m_bCreated && m_pWindow->GetSaveStatu())
        return false;
    m_bShown = false;
    if (m_bCreated)
        m_pWindow->Collapse();
    return true;
}

bool CPresenterSearchLight::IsShown()
{
    std::lock_guard lock(m_lock);
    return m_bShown;
}

void CPresenterSearchLight::SetDoAndUp(EffectPoint point) { SizeStep(true, point); }

void CPresenterSearchLight::SetDoAndDown(EffectPoint point) { SizeStep(false, point); }

void CPresenterSearchLight::SizeStep(bool up, EffectPoint point)
{
    std::lock_guard lock(m_lock);
    if (!m_bCreated) {
        WriteLog(KVO_LOG_INFO, up ? "CPresenterSearchLight::SetDoAndUp Digital not show"
                                  : "CPresenterSearchLight::SetDoAndDown Digital not show");
        return;
    }
    // A collapsed spotlight still counts as there: the step spreads it over the screen again.
    CConfigManager& config = m_services.Config();
    const CConfigManager::Size stored = config.GetEffectSize(CConfigManager::EffectSize::Spotlight);
    const platform::ScreenRect screen = m_services.screen != nullptr ? m_services.screen->Rect() : platform::ScreenRect{};
    EffectSize size{stored.width, stored.height};
    const bool large = platform::IsLargeScreen(screen);
    if (up) {
        if (SearchlightStepUp(size, screen.width, large))
            WriteLog(KVO_LOG_INFO, "CPresenterSearchLight::SetDoAndUp() SearchLight width:%d height:%d", size.width,
                     size.height);
    } else if (SearchlightStepDown(size, large)) {
        WriteLog(KVO_LOG_INFO, "CPresenterSearchLight::SetDoAndDown() SearchLight width:%d height:%d", size.width,
                 size.height);
    }
    config.SetEffectSize(CConfigManager::EffectSize::Spotlight, {size.width, size.height});
    m_pWindow->ShowStep(point);
}
