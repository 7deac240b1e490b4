#include "CPresenterDigitalLaser.h"

#include "ConfigManager.h"
#include "DigitalLaser_UI.h"
#include "EffectCommandQueue.h"
#include "IPresentationScreen.h"
#include "KVOLog.h"
#include "PresentationScreen.h"
#include "UiThread.h"


CPresenterDigitalLaser::CPresenterDigitalLaser(EffectServices services)
    : m_services(std::move(services)), m_thread(std::make_unique<LaserActionThread>("LaserActionThread", this))
{
    m_thread->Start();
}

CPresenterDigitalLaser::~CPresenterDigitalLaser()
{
    // The worker posts to the host: it ends before the host goes.
    StopWorker(m_thread.get(), m_laserQueue);
    m_thread.reset();
    // The host belongs to the UI thread; from elsewhere it goes there to be deleted.
    if (m_pHost) {
        DigitalLaser_UI* host = m_pHost.release();
        CallOnUiThread([host] { delete host; }, false);
    }
}

void CPresenterDigitalLaser::Release()
{
    WriteLog(KVO_LOG_INFO, "CPresenterDigitalLaser::Release()");
    CallOnUiThread(
        [this] {
            if (m_pHost)
                m_pHost->Release();
        },
        true);
}

void CPresenterDigitalLaser::Create()
{
    const CConfigManager::Size size = m_services.Config().GetEffectSize(CConfigManager::EffectSize::LaserDot);
    DigitalLaser_UI* built = nullptr;
    CallOnUiThread(
        [this, &built] {
            if (m_pHost)
                return;
            auto host = std::make_unique<DigitalLaser_UI>(m_services);
            if (!host->Build())
                return;
            m_pHost = std::move(host);
            built = m_pHost.get();
        },
        true);
    std::lock_guard lock(m_lock);
    m_dotSize = LaserClamp({size.width, size.height});
    if (built != nullptr)
        m_pHostForWorker = built;
}

bool CPresenterDigitalLaser::Show(EffectPoint point)
{
    if (m_shown.RequestShow())
        PushLaserCmd(LASER_SHOW, point);
    return true;
}

void CPresenterDigitalLaser::Move(EffectPoint point) { PushLaserCmd(LASER_MOVE, point); }

bool CPresenterDigitalLaser::Hide(bool force)
{
    // Read at every stop, so a changed keep-on-stop setting holds at once.
    if (!force && m_services.Config().GetInt(ConfigInt::DigitalLaserSaveStatu) != 0)
        return false;
    m_shown.RequestHide();
    PushLaserCmd(LASER_HIDE, EffectPoint{0, 0});
    return true;
}

bool CPresenterDigitalLaser::IsShown() { return m_shown.IsShown(); }

void CPresenterDigitalLaser::SetDoAndUp(EffectPoint point) { PushLaserCmd(LASER_SIZE_UP, point); }

void CPresenterDigitalLaser::SetDoAndDown(EffectPoint point) { PushLaserCmd(LASER_SIZE_DOWN, point); }

int CPresenterDigitalLaser::GetShownState() { return m_shown.Get(); }

EffectSize CPresenterDigitalLaser::DotSize()
{
    std::lock_guard lock(m_lock);
    return m_dotSize;
}

namespace {

const EffectCmdTexts kLaserTexts{"CPresenterDigitalLaser::PushLaserCmd return by: (cmdInfo == NULL)",
                                 "CPresenterDigitalLaser::PushLaserCmd size is full",
                                 "CPresenterDigitalLaser::CircleActionThread() return by: (cmdInfo == NULL)",
                                 "CPresenterDigitalLaser::CircleActionThread() return by: (1 == cmdInfo.exit_tag).",
                                 "CPresenterDigitalLaser::CircleActionThread() return by: (cmdInfo->obj == NULL)"};

} // namespace

void CPresenterDigitalLaser::PushLaserCmd(LaserCmd code, EffectPoint point)
{
    PushEffectCmd(m_laserQueue, code, point, code != LASER_MOVE, kLaserTexts);
}

bool CPresenterDigitalLaser::CircleActionThread()
{
    int code = 0;
    EffectPoint point;
    const EffectCmdTaken taken = TakeEffectCmd(m_laserQueue, kLaserTexts, code, point);
    if (taken != EffectCmdTaken::Run)
        return taken != EffectCmdTaken::Exit;

    DigitalLaser_UI* host = nullptr;
    {
        std::lock_guard lock(m_lock);
        host = m_pHostForWorker;
    }
    switch (code) {
    case LASER_HIDE:
        if (host != nullptr)
            host->PostHide();
        m_shown.MarkHidden();
        break;
    case LASER_SHOW: {
        const EffectPoint now = m_services.EffectPointNow();
        if (host != nullptr)
            host->PostDraw(now, DotSize(), true);
        m_shown.MarkShown();
        break;
    }
    case LASER_MOVE:
        // A move queued before a stop would otherwise bring the dot back after its hide.
        if (host != nullptr && m_shown.Get() == STATE_SHOWN)
            host->PostDraw(point, DotSize(), false);
        break;
    case LASER_SIZE_UP:
    case LASER_SIZE_DOWN: {
        CConfigManager& config = m_services.Config();
        const CConfigManager::Size stored = config.GetEffectSize(CConfigManager::EffectSize::LaserDot);
        const platform::ScreenRect screen =
            m_services.screen != nullptr ? m_services.screen->Rect() : platform::ScreenRect{};
        const EffectSize size = code == LASER_SIZE_UP
                                    ? LaserStepUp({stored.width, stored.height}, platform::IsLargeScreen(screen))
                                    : LaserStepDown({stored.width, stored.height});
        config.SetEffectSize(CConfigManager::EffectSize::LaserDot, {size.width, size.height});
        const EffectSize drawn = LaserClamp(size);
        {
            std::lock_guard lock(m_lock);
            m_dotSize = drawn;
        }
        if (host != nullptr)
            host->PostDraw(point, drawn, false);
        break;
    }
    default:
        WriteLog(KVO_LOG_WARN, "CPresenterDigitalLaser::CircleActionThread() unknown command %d", code);
        break;
    }
    return true;
}
