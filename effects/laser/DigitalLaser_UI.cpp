#include "DigitalLaser_UI.h"

#include "ConfigManager.h"
#include "IPresentationScreen.h"
#include "KVOLog.h"
#include "LaserOverlay.h"
#include "OverlayWindow.h"

#include <QWidget>

namespace {

std::string LaserPictureName(int colour)
{
    const char* name = colour == 1 ? "red" : colour == 2 ? "green" : "blue";
    return std::string("button\\FunctionSet\\DigitalLaser\\") + name + "@10x.png";
}

} // namespace

DigitalLaser_UI::DigitalLaser_UI(const EffectServices& services)
    : WindowImplBase("DigitalLaserUI.xml"), m_services(services)
{
}

DigitalLaser_UI::~DigitalLaser_UI() { m_hPostTarget.store(nullptr); }

bool DigitalLaser_UI::Build()
{
    return CreateEffectHost(*this, m_hPostTarget, "CPresenterDigitalLaser::Create New Object Failed");
}

void DigitalLaser_UI::Release()
{
    m_hPostTarget.store(nullptr);
    m_pOverlay.reset();
    m_image = QImage();
    if (GetHWND() != nullptr)
        Close(IDOK);
}

void DigitalLaser_UI::InitWindow()
{
    WriteLog(KVO_LOG_INFO, "DigitalLaser_UI::InitWindow begin");
    if (QWidget* host = GetWidget()) {
        SetOverlayTraits(host, true);
        host->hide();
    }
    if (CControlUI* background = m_PaintManager.FindControl("windowbackground")) {
        background->SetBkImage("");
        background->SetBkColor(0);
    }
    LoadMaxLaserImageForCurrentColor();
    CreateOverlay();
    WriteLog(KVO_LOG_INFO, "DigitalLaser_UI::InitWindow end");
}

void DigitalLaser_UI::CreateOverlay()
{
    if (m_pOverlay)
        return;
    m_pOverlay = std::make_unique<LaserOverlay>([this] {
        WriteLog(KVO_LOG_INFO, "DigitalLaser_UI::HandleCustomMessage WM_RBUTTONUP StopFunction()");
        m_services.StopFunction();
    });
    WriteLog(KVO_LOG_DEBUG, "overlay flags=0x%08X", static_cast<unsigned>(m_pOverlay->windowFlags().toInt()));
}

bool DigitalLaser_UI::LoadMaxLaserImageForCurrentColor()
{
    m_image = QImage();
    const std::string path =
        CPaintManagerUI::ResolveResourceFile(LaserPictureName(m_services.Config().GetInt(ConfigInt::DigitalLaserColor)));
    QImage picture;
    if (!picture.load(QString::fromStdString(path))) {
        WriteLog(KVO_LOG_ERROR, "DigitalLaser_UI::LoadMaxLaserImageForCurrentColor failed. path=%s", path.c_str());
        return false;
    }
    m_image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return true;
}

void DigitalLaser_UI::PostDraw(EffectPoint point, EffectSize size, bool reloadPicture)
{
    bool post = false;
    {
        std::lock_guard lock(m_lock);
        // A reload asked for by an earlier request still has to happen.
        m_draw = Draw{point, size, reloadPicture || (m_bDrawPosted && m_draw.reloadPicture)};
        if (!m_bDrawPosted || IsOnUiThread()) {
            m_bDrawPosted = true;
            post = true;
        }
    }
    if (post)
        Deliver(WM_LASER_DRAW);
}

void DigitalLaser_UI::PostHide()
{
    {
        // A draw requested after this hide must come after it, not ride on an earlier message.
        std::lock_guard lock(m_lock);
        m_bDrawPosted = false;
    }
    Deliver(WM_LASER_HIDE);
}

void DigitalLaser_UI::Deliver(UINT msg)
{
    if (!DeliverToWindow(*this, m_hPostTarget.load(), msg) && msg == WM_LASER_DRAW) {
        std::lock_guard lock(m_lock);
        m_bDrawPosted = false;
    }
}

LRESULT DigitalLaser_UI::HandleCustomMessage(UINT uMsg, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = true;
    switch (uMsg) {
    case WM_RBUTTONUP:
        WriteLog(KVO_LOG_INFO, "DigitalLaser_UI::HandleCustomMessage WM_RBUTTONUP StopFunction()");
        m_services.StopFunction();
        break;
    case WM_LASER_DRAW:
        DrawPending();
        break;
    case WM_LASER_HIDE:
        if (m_pOverlay)
            m_pOverlay->Conceal();
        break;
    default:
        bHandled = false;
        break;
    }
    return 0;
}

void DigitalLaser_UI::DrawPending()
{
    Draw draw;
    {
        std::lock_guard lock(m_lock);
        draw = m_draw;
        m_draw.reloadPicture = false;
        m_bDrawPosted = false;
    }
    if (draw.reloadPicture || m_image.isNull())
        LoadMaxLaserImageForCurrentColor();
    CreateOverlay();
    // The screen, its scale and the compositor are looked up once per show (the request that
    // reloads the picture), not per move.
    if (draw.reloadPicture || !m_bModeKnown) {
        const platform::ScreenRect screen =
            m_services.screen != nullptr ? m_services.screen->Rect() : platform::ScreenRect{};
        m_surface = EffectSurface::For(screen);
        const bool composited = m_services.Composited();
        if (!m_bModeKnown || composited != m_bComposited)
            WriteLog(KVO_LOG_INFO, "DigitalLaser_UI::Draw %s",
                     composited ? "compositor running: translucent dot" : "no compositor: shaped dot");
        m_bModeKnown = true;
        m_bComposited = composited;
    }
    m_pOverlay->Render(m_image, draw.size, m_surface, draw.point.x, draw.point.y, m_bComposited);
}
