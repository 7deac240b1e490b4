#include "CBlankScreenUI.h"

#include "BlankLayer.h"

#include "ConfigManager.h"
#include "ICursor.h"
#include "EffectWindows.h"
#include "KVOLog.h"
#include "OverlayWindow.h"
#include "QtScreens.h"
#include "UiThread.h"

#include <QImage>
#include <QWidget>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<DWORD, 10> kColours = {0xFF000000, 0xFFFFFFFF, 0xFFDF2116, 0xFFDF8A3B, 0xFF0A17BA,
                                            0xFF3178DF, 0xFFF323C7, 0xFF50A6BE, 0xFF7D7360, 0xFFCCFF00};

} // namespace

CBlankScreenUI::CBlankScreenUI(const EffectServices& services, std::unique_ptr<platform::ICursor> cursor,
                               std::function<int()> deviceType)
    : WindowImplBase("BlankScreenUI.xml")
    , m_services(services)
    , m_pCursor(std::move(cursor))
    , m_deviceType(std::move(deviceType))
{
}

CBlankScreenUI::~CBlankScreenUI()
{
    m_hPostTarget.store(nullptr);
    GiveCursorBack();
}

DWORD CBlankScreenUI::ColourOf(int index)
{
    return index >= 1 && index <= static_cast<int>(kColours.size()) ? kColours[static_cast<size_t>(index - 1)] : 0;
}

bool CBlankScreenUI::Build()
{
    return CreateEffectHost(*this, m_hPostTarget, "CBlankScreenUI::Create failed");
}

void CBlankScreenUI::InitWindow()
{
    if (QWidget* host = GetWidget()) {
        SetOverlayTraits(host, false);
        // Drawing over a blank screen is wanted: a frozen picture does not wait for it to roll up.
        EffectWindows::Untrack(host);
        // The curtain is opaque: the same picture with or without a compositor.
        host->setAttribute(Qt::WA_TranslucentBackground, false);
        host->hide();
    }
    {
        std::lock_guard lock(m_lock);
        m_bShowing = false;
        m_nDirection = 1;
    }
    m_pBackground = m_PaintManager.FindControl("windowbackground");
    if (m_services.overlays != nullptr && !m_pLayer) {
        // No key hook sees keys typed to other programs on Wayland: the curtain takes the keyboard
        // itself, and any key typed lifts it.
        m_pLayer = std::make_unique<BlankLayer>(m_services.overlays, [this] {
            if (!IsShowing())
                return;
            WriteLog(KVO_LOG_INFO, "CBlankScreenUI a key typed on the curtain: Hide BlankScreen");
            StartHide();
        });
    }
    // The timers run only while the curtain is down or moving; an idle blank screen wakes nobody.
}

void CBlankScreenUI::Destroy()
{
    m_hPostTarget.store(nullptr);
    KillTimer(kCursorTimerId);
    KillTimer(kRollTimerId);
    GiveCursorBack();
    if (GetHWND() != nullptr)
        Close(IDOK);
}

void CBlankScreenUI::ShowBlankScreen(platform::ScreenRect screen)
{
    WriteLog(KVO_LOG_INFO, "CBlankScreenUI::ShowBlankScreen botton:%d right:%d", screen.y + screen.height,
             screen.x + screen.width);
    {
        std::lock_guard lock(m_lock);
        m_bShowing = true;
        m_nDirection = 0;
        m_rcTarget = screen;
        m_nHeight = 0;
        m_bNewShow = true;
    }
    DeliverToWindow(*this, m_hPostTarget.load(), WM_BLANK_UPDATE);
}

void CBlankScreenUI::StartHide()
{
    {
        std::lock_guard lock(m_lock);
        m_bShowing = false;
        m_nDirection = 1;
    }
    DeliverToWindow(*this, m_hPostTarget.load(), WM_BLANK_UPDATE);
}

bool CBlankScreenUI::IsShowing() const
{
    std::lock_guard lock(m_lock);
    return m_bShowing;
}

int CBlankScreenUI::CurtainHeight() const
{
    std::lock_guard lock(m_lock);
    return m_nHeight;
}

LRESULT CBlankScreenUI::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled)
{
    bHandled = true;
    if (uMsg == WM_BLANK_UPDATE) {
        ApplyContent();
        if (!m_bTimersRunning) {
            SetTimer(kCursorTimerId, kCursorTimerMs);
            SetTimer(kRollTimerId, kRollTimerMs);
            m_bTimersRunning = true;
        }
        OnCursorTimer();
    } else if (uMsg == WM_TIMER && wParam == kCursorTimerId) {
        OnCursorTimer();
    } else if (uMsg == WM_TIMER && wParam == kRollTimerId) {
        OnRollTimer();
    } else {
        bHandled = false;
    }
    return 0;
}

void CBlankScreenUI::ApplyContent()
{
    {
        std::lock_guard lock(m_lock);
        if (!m_bNewShow)
            return;
        m_bNewShow = false;
    }
    if (m_pBackground == nullptr)
        return;
    const CConfigManager& config = m_services.Config();
    const int devType = m_deviceType ? m_deviceType() : 0;
    const int slot = devType == 1 || devType == 2 ? kSlotMouse : kSlotPresenter;
    const int type = config.GetSlotInt(ConfigSlotInt::SelectType, slot);
    const int index = config.GetSlotInt(ConfigSlotInt::SelectIndex, slot);
    if (type == 1) {
        m_pBackground->SetBkImage("");
        if (const DWORD colour = ColourOf(index))
            m_pBackground->SetBkColor(colour);
    } else if (type == 0) {
        m_pBackground->SetBkImage(config.GetImageUrl(slot, index));
    }
    if (m_pLayer) {
        QImage picture;
        if (type == 0 && !picture.load(QString::fromStdString(config.GetImageUrl(slot, index))))
            picture.load(QString::fromStdString(CPaintManagerUI::ResolveResourceFile(config.GetImageUrl(slot, index))));
        const DWORD colour = type == 1 && ColourOf(index) != 0 ? ColourOf(index) : m_pBackground->GetBkColor();
        m_pLayer->SetContent(QColor::fromRgba(colour), picture);
    }
}

void CBlankScreenUI::OnCursorTimer()
{
    if (m_pCursor == nullptr || !IsShowing())
        return;
    // Whatever showed the cursor meanwhile, it goes again while the curtain is up.
    while (m_pCursor->HideCount() < 1)
        m_pCursor->Hide();
}

void CBlankScreenUI::GiveCursorBack()
{
    if (m_pCursor == nullptr)
        return;
    while (m_pCursor->HideCount() > 0)
        m_pCursor->Show();
}

void CBlankScreenUI::OnRollTimer()
{
    platform::ScreenRect target;
    int height = 0;
    bool moved = false;
    bool rolledUp = false;
    {
        std::lock_guard lock(m_lock);
        target = m_rcTarget;
        if (m_bShowing && m_nDirection == 0 && m_nHeight < target.height) {
            m_nHeight = std::min(m_nHeight + kRollStep, target.height);
            moved = true;
        } else if (!m_bShowing && m_nDirection == 1) {
            if (m_nHeight > 0) {
                m_nHeight = std::max(m_nHeight - kRollStep, 0);
                moved = true;
            }
            rolledUp = m_nHeight == 0;
        }
        height = m_nHeight;
    }
    QWidget* host = GetWidget();
    if (moved && m_pLayer && m_pLayer->Roll(target, height)) {
        // Drawn on the overlay layer; the window stays hidden.
    } else if (moved && host != nullptr) {
        WriteLog(KVO_LOG_DEBUG, "CBlankScreenUI::OnTimer left:%d top:%d right:%d bottom:%d", target.x, target.y,
                 target.x + target.width, target.y + height);
        if (height > 0) {
            const platform::ScreenRect logical =
                platform::LogicalFromPhysical({target.x, target.y, target.width, height});
            host->setGeometry(logical.x, logical.y, logical.width, logical.height);
            host->show();
            host->raise();
        } else {
            // A covered 4K screen is 32 MiB of paint buffer: given back until the next show.
            HideAndReleaseBuffer(host);
        }
    }
    if (rolledUp) {
        GiveCursorBack();
        KillTimer(kCursorTimerId);
        KillTimer(kRollTimerId);
        m_bTimersRunning = false;
    }
}
