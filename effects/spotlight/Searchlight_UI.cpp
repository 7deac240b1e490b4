#include "Searchlight_UI.h"

#include "ConfigManager.h"
#include "CoverPainter.h"
#include "IPresentationScreen.h"
#include "KVOLog.h"
#include "OverlayWindow.h"
#include "SearchlightMarker.h"
#include "SpotlightLayer.h"
#include "UiThread.h"

#include <QRegion>
#include <QWidget>

#include <cmath>

namespace {

constexpr const char* kMarkerPicture = "button\\FunctionSet\\Mouse_Center.png";

// Where a rounded hole is clear for certain, antialiased edges excluded: the two bands of the
// rounded rectangle that no corner touches, and the rectangle through the corners' 45-degree
// points (which keeps an elliptic hole's middle).
QRegion HoleInterior(const QRectF& rect, const SIZE& round)
{
    const double rx = round.cx / 2.0;
    const double ry = round.cy / 2.0;
    const QRectF inset = rect.adjusted(1, 1, -1, -1);
    const double kx = rx * (1.0 - std::sqrt(0.5));
    const double ky = ry * (1.0 - std::sqrt(0.5));
    QRegion interior;
    for (const QRectF& part : {inset.adjusted(rx, 0, -rx, 0), inset.adjusted(0, ry, 0, -ry),
                               inset.adjusted(kx, ky, -kx, -ky)}) {
        // Rounded inwards: a pixel partly outside the part is not certain to be clear.
        const QRect inner(QPoint(static_cast<int>(std::ceil(part.left())), static_cast<int>(std::ceil(part.top()))),
                          QPoint(static_cast<int>(std::floor(part.right())) - 1,
                                 static_cast<int>(std::floor(part.bottom())) - 1));
        if (inner.isValid())
            interior += inner;
    }
    return interior;
}

long Round(double v) { return std::lround(v); }

} // namespace

Searchlight_UI::Searchlight_UI(const EffectServices& services)
    : WindowImplBase("SearchlightUI.xml"), m_services(services),
      m_frames([this] { return DeliverToWindow(*this, m_hPostTarget.load(), WM_SEARCHLIGHT_FRAME); })
{
}

Searchlight_UI::~Searchlight_UI()
{
    m_hPostTarget.store(nullptr);
    if (m_pBackground != nullptr && m_pCoverPainter)
        m_pBackground->removeEventFilter(m_pCoverPainter.get());
}

bool Searchlight_UI::Build()
{
    // Created hidden: a collapsed spotlight is a hidden window, and the first show must not
    // flash a 500 x 500 black square or take the focus.
    const bool built = BuildEffectWindow(
        *this, WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
        WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_LAYERED, 500, 500,
        "Searchlight_UI::Build SearchlightUI.xml could not be built");
    m_hPostTarget.store(GetHWND());
    return built;
}

void Searchlight_UI::InitWindow()
{
    m_pBackground = m_PaintManager.FindControl("windowbackground");
    m_pHole = m_PaintManager.FindControl("tanzhaodeng");
    m_pCoverPainter = InstallCoverPainter(m_pBackground);
    // The hole control keeps the hole's place; the cover paints it.
    if (m_pHole != nullptr)
        m_pHole->SetVisible(false);
    if (CControlUI* inSkinMarker = m_PaintManager.FindControl("SearchLight_Mouse_Center"))
        inSkinMarker->SetVisible(false);
    LoadSettings(true);
    if (QWidget* host = GetWidget()) {
        SetOverlayTraits(host, true);
        host->hide();
    }
    if (!m_pMarker) {
        m_pMarker = std::make_unique<SearchlightMarker>();
        m_pMarker->LoadPicture(kMarkerPicture);
    }
}

void Searchlight_UI::LoadSettings(bool withAlpha)
{
    CConfigManager& config = m_services.Config();
    const CConfigManager::Size size = config.GetEffectSize(CConfigManager::EffectSize::Spotlight);
    std::lock_guard lock(m_lock);
    m_settings.showMouse = config.GetInt(ConfigInt::SearchlightShowMouse) != 0;
    m_settings.saveStatu = config.GetInt(ConfigInt::SearchlightSaveStatu) != 0;
    m_settings.width = size.width;
    m_settings.height = size.height;
    m_settings.aspectRatio = config.GetReal(ConfigReal::SearchlightAspectRatio);
    m_settings.borderRound = config.GetReal(ConfigReal::SearchlightBorderRound);
    m_settings.alpha = config.GetInt(ConfigInt::SearchlightAlphaVal) & 0xFF;
    if (withAlpha)
        m_nAppliedAlpha = m_settings.alpha;
}

bool Searchlight_UI::GetSaveStatu() const
{
    std::lock_guard lock(m_lock);
    return m_settings.saveStatu;
}

void Searchlight_UI::ShowStep(EffectPoint point)
{
    const platform::ScreenRect screen = m_services.screen != nullptr ? m_services.screen->Rect() : platform::ScreenRect{};
    LoadSettings(false);
    // Asked at every show: a compositor started or stopped while the program runs is followed.
    const bool composited = m_services.Composited();
    bool alphaChanged = false;
    {
        std::lock_guard lock(m_lock);
        m_settings.composited = composited;
        if (m_settings.alpha != m_nAppliedAlpha) {
            m_nAppliedAlpha = m_settings.alpha;
            alphaChanged = true;
        }
    }
    if (alphaChanged)
        DeliverToWindow(*this, m_hPostTarget.load(), WM_SEARCHLIGHT_ALPHA);
    m_frames.Post(Frame{true, screen, point});
    WriteLog(KVO_LOG_INFO, "Searchlight_UI::Show x:%d y:%d", point.x, point.y);
}

void Searchlight_UI::PlaceHole(EffectPoint point)
{
    m_frames.Update([point](Frame& newest, bool) { newest.point = point; });
}

void Searchlight_UI::Collapse()
{
    m_frames.Update([](Frame& newest, bool) { newest.covering = false; });
}

void Searchlight_UI::Notify(TNotifyUI&)
{
    // Clicks on the cover mean nothing; the right-button release arrives as a message.
}

LRESULT Searchlight_UI::HandleCustomMessage(UINT uMsg, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = true;
    switch (uMsg) {
    case WM_RBUTTONUP:
        WriteLog(KVO_LOG_INFO, "Searchlight_UI::HandleCustomMessage WM_RBUTTONUP StopFunction()");
        m_services.StopFunction();
        break;
    case WM_SEARCHLIGHT_ALPHA:
        ApplyCover();
        break;
    case WM_SEARCHLIGHT_FRAME:
        ApplyFrame();
        break;
    default:
        bHandled = false;
        break;
    }
    return 0;
}

void Searchlight_UI::ApplyCover()
{
    int alpha = 0;
    bool composited = false;
    {
        std::lock_guard lock(m_lock);
        alpha = m_nAppliedAlpha;
        composited = m_settings.composited;
    }
    // Without a compositor alpha is ignored by the server: the cover is opaque.
    const int coverAlpha = composited ? alpha : 0xFF;
    if (m_pBackground != nullptr && coverAlpha != m_nCoverAlpha) {
        m_nCoverAlpha = coverAlpha;
        m_pBackground->SetBkColor(static_cast<DWORD>(coverAlpha) << 24);
        if (m_pCoverPainter)
            m_pCoverPainter->colour = QColor(0, 0, 0, coverAlpha);
    }
}

void Searchlight_UI::ApplyFrame()
{
    const Frame frame = m_frames.Take();
    Settings settings;
    {
        std::lock_guard lock(m_lock);
        settings = m_settings;
    }
    if (ApplyOnLayer(frame, settings))
        return;
    QWidget* host = GetWidget();
    if (host == nullptr)
        return;
    if (!frame.covering) {
        HideAndReleaseBuffer(host);
        if (m_pMarker)
            m_pMarker->hide();
        m_bCovering = false;
        return;
    }
    if (!m_bModeLogged || settings.composited != m_bComposited) {
        m_bModeLogged = true;
        m_bComposited = settings.composited;
        WriteLog(KVO_LOG_INFO, "Searchlight_UI::Show %s", m_bComposited ? "compositor running: translucent cover"
                                                                         : "no compositor: shaped cover");
        if (m_bComposited)
            host->clearMask();
    }
    ApplyCover();

    // The screen's scale is looked up when the cover comes up or its screen changes, not per move.
    const platform::ScreenRect& was = m_surface.physical;
    if (!m_bCovering || frame.screen.x != was.x || frame.screen.y != was.y || frame.screen.width != was.width ||
        frame.screen.height != was.height)
        m_surface = EffectSurface::For(frame.screen);
    const EffectSurface& surface = m_surface;
    if (host->geometry() != surface.logical)
        host->setGeometry(surface.logical);
    const EffectPoint client{frame.point.x - frame.screen.x, frame.point.y - frame.screen.y};
    const SearchlightHole hole = SearchlightHoleAt(client, settings.width, settings.aspectRatio, settings.borderRound);
    const double r = surface.ratio;
    const RECT logical{Round(hole.rect.left / r), Round(hole.rect.top / r), Round(hole.rect.right / r),
                       Round(hole.rect.bottom / r)};
    const SIZE round{Round(hole.roundX / r), Round(hole.roundY / r)};
    if (m_pHole != nullptr) {
        m_pHole->SetBorderRound(round);
        m_pHole->SetPos(logical);
    }
    const QRectF holeRect(QPointF(logical.left, logical.top), QPointF(logical.right, logical.bottom));
    if (m_bComposited)
        RepaintHole(holeRect, round);
    else {
        // Without a compositor cleared pixels would show black: the shape cuts the hole instead.
        if (m_pCoverPainter && m_pCoverPainter->clearHole) {
            m_pCoverPainter->clearHole = false;
            m_pBackground->update();
        }
        host->setMask(QRegion(host->rect()) - HoleRegion(holeRect, round));
    }
    if (!host->isVisible()) {
        host->show();
        host->raise();
    }
    m_bCovering = true;
    if (m_pMarker) {
        if (settings.showMouse)
            m_pMarker->ShowAt(surface, frame.point.x, frame.point.y, m_bComposited);
        else
            m_pMarker->hide();
    }
}

bool Searchlight_UI::ApplyOnLayer(const Frame& frame, const Settings& settings)
{
    if (m_services.overlays == nullptr)
        return false;
    if (!m_pLayer)
        m_pLayer = std::make_unique<SpotlightLayer>(m_services.overlays);
    if (!frame.covering) {
        m_pLayer->Hide();
        m_bCovering = false;
        return true;
    }
    const EffectPoint client{frame.point.x - frame.screen.x, frame.point.y - frame.screen.y};
    const SearchlightHole hole = SearchlightHoleAt(client, settings.width, settings.aspectRatio, settings.borderRound);
    const QImage* marker = settings.showMouse && m_pMarker ? &m_pMarker->Picture() : nullptr;
    if (!m_pLayer->Show(frame.screen, settings.alpha, hole, marker, frame.point))
        return false;
    if (!m_bModeLogged) {
        m_bModeLogged = true;
        m_bComposited = true;
        WriteLog(KVO_LOG_INFO, "Searchlight_UI::Show on the compositor's overlay layer");
    }
    m_bCovering = true;
    return true;
}

void Searchlight_UI::RepaintHole(const QRectF& hole, const SIZE& round)
{
    CoverPainter* painter = m_pCoverPainter.get();
    if (painter == nullptr || m_pBackground == nullptr)
        return;
    const QRectF was = painter->hole;
    const SIZE wasRound = painter->round;
    const bool wasClear = painter->clearHole;
    painter->hole = hole.translated(m_pBackground->mapFrom(m_pBackground->window(), QPointF(0, 0)));
    painter->round = round;
    painter->clearHole = true;
    if (!wasClear || !m_bCovering) {
        m_pBackground->update();
        return;
    }
    if (was == painter->hole && wasRound.cx == round.cx && wasRound.cy == round.cy)
        return;
    // Pixels inside both holes stay clear; only the rest of the two holes changes.
    const QRegion both = QRegion(was.toAlignedRect()) + QRegion(painter->hole.toAlignedRect());
    m_pBackground->update(both - (HoleInterior(was, wasRound) & HoleInterior(painter->hole, round)));
}
