#include "CPresenterPostil.h"

#include "KVOLog.h"

#include <cstring>

CPresenterPostil::CPresenterPostil(EffectServices services)
    : m_pAnnotation(std::make_unique<CPostilAnnotation>(std::move(services)))
    , m_motion(kMotionCapacity, 16, [this](const uint8_t* data, uint32_t used) {
        if (used < sizeof(EffectPoint))
            return;
        EffectPoint point;
        std::memcpy(&point, data, sizeof point);
        m_pAnnotation->DrawSegmentTo(point);
    })
{
}

CPresenterPostil::~CPresenterPostil() { m_motion.Stop(); }

void CPresenterPostil::Create()
{
    std::lock_guard lock(m_lock);
    if (!m_pAnnotation->CreateWindows())
        WriteLog(KVO_LOG_ERROR, "CPresenterPostil::Create windows could not be built");
    m_motion.Start();
}

bool CPresenterPostil::Show(EffectPoint point)
{
    std::lock_guard lock(m_lock);
    m_bShown = true;
    m_pAnnotation->ShowStep(point);
    return true;
}

void CPresenterPostil::Move(EffectPoint point) { m_motion.Push(&point, sizeof point, false); }

void CPresenterPostil::MovePencil(EffectPoint point)
{
    std::lock_guard lock(m_lock);
    m_pAnnotation->MovePencil(point);
}

bool CPresenterPostil::Hide(bool)
{
    // The pen has no keep-on-stop: a stop always takes the frozen picture away.
    std::lock_guard lock(m_lock);
    m_pAnnotation->HideStep();
    m_bShown = false;
    return true;
}

bool CPresenterPostil::IsShown()
{
    std::lock_guard lock(m_lock);
    return m_bShown;
}

void CPresenterPostil::SetDoAndUp(EffectPoint)
{
    std::lock_guard lock(m_lock);
    m_pAnnotation->StepWidth(true);
}

void CPresenterPostil::SetDoAndDown(EffectPoint)
{
    std::lock_guard lock(m_lock);
    m_pAnnotation->StepWidth(false);
}

void CPresenterPostil::ClearPostil()
{
    std::lock_guard lock(m_lock);
    m_pAnnotation->Clear();
}
