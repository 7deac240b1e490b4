#include "DigitalLaser_UI.h"

#include "ConfigManager.h"
#include "IPresentationScreen.h"
#include "KVOLog.h"
#include "LaserLayer.h"
#include "LaserOverlay.h"
#include "OverlayWindow.h"
#include "UiThread.h"

#include <QWidget>

namespace {

std::string LaserPictureName(int colour)
{
    const char* name = colour == 1 ? "red" : colour == 2 ? "green" : "blue";
    return std::string("button\\FunctionSet\\DigitalLaser\\") + name + "@10x.png";
}

} // namespace

DigitalLaser_UI::DigitalLaser_UI(const EffectServices& services)
    : WindowImplBase("DigitalLaserUI.xml"), m_services(services),
      m_draws([this] { return DeliverToWindow(*this, m_hPostTarget.load(), WM_LASER_DRAW); })
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
    m_pLayer.reset();
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
    m_draws.Update([&](Draw& newest, bool waiting) {
        // A reload asked for by an earlier request still has to happen.
        newest = Draw{point, size, reloadPicture || (waiting && newest.reloadPicture)};
    });
}

void DigitalLaser_UI::PostHide()
{
    // A draw requested after this hide must come after it, not ride on an earlier message.
    m_draws.Restart();
    DeliverToWindow(*this, m_hPostTarget.load(), WM_LASER_HIDE);
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
        if (m_bDrawn)
            WriteLog(KVO_LOG_INFO, "DigitalLaser_UI::Hide x:%d y:%d", m_drawnAt.x, m_drawnAt.y);
        m_bDrawn = false;
        if (m_pLayer)
            m_pLayer->Hide();
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
    const Draw draw = m_draws.Take([](Draw& kept) { kept.reloadPicture = false; });
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
                     m_services.overlays != nullptr ? "on the compositor's overlay layer"
                     : composited                   ? "compositor running: translucent dot"
                                                    : "no compositor: shaped dot");
        m_bModeKnown = true;
        m_bComposited = composited;
    }
    m_drawnAt = draw.point;
    m_bDrawn = true;
    if (m_services.overlays != nullptr) {
        if (!m_pLayer)
            m_pLayer = std::make_unique<LaserLayer>(m_services.overlays);
        if (m_pLayer->Draw(m_surface.physical, m_image, draw.size, draw.point))
            return;
    }
    m_pOverlay->Render(m_image, draw.size, m_surface, draw.point.x, draw.point.y, m_bComposited);
}
