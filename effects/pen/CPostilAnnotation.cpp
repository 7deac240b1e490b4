#include "CPostilAnnotation.h"

#include "CPostilDrawWindow.h"
#include "CPostilPencilTipUI.h"
#include "CPostilPencilUI.h"
#include "PenLayer.h"
#include "ConfigManager.h"
#include "IPresentationScreen.h"
#include "KVOLog.h"
#include "OverlayWindow.h"
#include "UiThread.h"

#include <cstdlib>
#include <variant>
#include <vector>

namespace {

struct CoverRequest {
    FrozenScreen frozen;
    platform::ScreenRect screen;
    bool composited;
};
struct PencilRequest {
    EffectPoint point;
};
struct TipRequest {
    int width;
    int colorCode;
    platform::ScreenRect screen;
    bool composited;
};
struct ClearRequest {};
struct HideRequest {};
using Request = std::variant<CoverRequest, PostilSegment, PencilRequest, TipRequest, ClearRequest, HideRequest>;

// The pencil as its window shows it, for the overlay layer.
QImage PencilPicture()
{
    QImage picture;
    if (!picture.load(QString::fromStdString(CPaintManagerUI::ResolveResourceFile("button\\FunctionSet\\Pencil.png"))))
        return {};
    return picture.scaled(CPostilPencilUI::kSide, CPostilPencilUI::kSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

// The UI thread's side: the windows, the frozen picture and the requests waiting for it.
struct CPostilAnnotation::View {
    std::mutex lock;
    std::vector<Request> requests;
    bool posted = false;

    // UI thread. The layer (where the session has one) goes after the window that uses it.
    std::unique_ptr<PenLayer> layer;
    QImage pencilPicture;
    std::unique_ptr<CPostilDrawWindow> draw;
    std::unique_ptr<CPostilPencilUI> pencil;
    std::unique_ptr<CPostilPencilTipUI> tip;
    FrozenScreen frozen;
    EffectSurface surface;
    bool composited = false;

    QImage FrozenPart() const
    {
        if (frozen.image.isNull())
            return {};
        const platform::ScreenRect& s = surface.physical;
        return frozen.Copy(s.x, s.y, s.width, s.height);
    }

    static void Post(const std::shared_ptr<View>& view, Request request)
    {
        {
            std::lock_guard guard(view->lock);
            view->requests.push_back(std::move(request));
        }
        PostApplyOnce(view, view->lock, view->posted);
    }

    void Apply()
    {
        std::vector<Request> work;
        {
            std::lock_guard guard(lock);
            work.swap(requests);
            posted = false;
        }
        for (Request& request : work)
            std::visit([this](auto& r) { Run(r); }, request);
    }

    void Run(CoverRequest& r)
    {
        frozen = std::move(r.frozen);
        surface = EffectSurface::For(r.screen);
        composited = r.composited;
        if (draw)
            draw->Cover(surface, FrozenPart());
        if (pencil && pencil->IsVisible()) {
            pencil->Collapse(); // above the new cover
        }
    }
    void Run(PostilSegment& s)
    {
        if (draw)
            draw->Draw(s);
    }
    void Run(PencilRequest& r)
    {
        if (layer && layer->IsShown()) {
            layer->PlacePencil(pencilPicture, r.point.x, r.point.y);
            return;
        }
        if (pencil && draw && draw->IsCovering())
            pencil->PlaceAt(surface, r.point.x, r.point.y, composited);
    }
    void Run(TipRequest& r)
    {
        if (tip)
            tip->ShowTip(draw && draw->IsCovering() ? surface : EffectSurface::For(r.screen), r.width, r.colorCode,
                         r.composited);
    }
    void Run(ClearRequest&)
    {
        if (draw)
            draw->Repaint(FrozenPart());
    }
    void Run(HideRequest&)
    {
        if (pencil)
            pencil->Collapse();
        if (draw)
            draw->Collapse();
        if (tip)
            tip->Hide();
        frozen = FrozenScreen{};
    }
};

CPostilAnnotation::CPostilAnnotation(EffectServices services)
    : m_services(std::move(services)), m_view(std::make_shared<View>())
{
}

CPostilAnnotation::~CPostilAnnotation()
{
    // The windows belong to the UI thread; from elsewhere they go there to be deleted.
    if (m_view) {
        std::shared_ptr<View> view = std::move(m_view);
        CallOnUiThread([view]() mutable { view.reset(); }, false);
    }
}

bool CPostilAnnotation::CreateWindows()
{
    bool ok = false;
    EffectServices services = m_services;
    CallOnUiThread(
        [this, &ok, services] {
            View& view = *m_view;
            if (!view.draw) {
                std::weak_ptr<View> self = m_view;
                auto draw = std::make_unique<CPostilDrawWindow>([services] { services.StopFunction(); },
                                                                [self] {
                                                                    std::shared_ptr<View> v = self.lock();
                                                                    return v ? v->FrozenPart() : QImage();
                                                                });
                if (services.overlays != nullptr) {
                    view.layer = std::make_unique<PenLayer>(services.overlays);
                    draw->UseLayer(view.layer.get());
                    view.pencilPicture = PencilPicture();
                }
                if (draw->Build())
                    view.draw = std::move(draw);
                auto tip = std::make_unique<CPostilPencilTipUI>();
                tip->UseLayer(view.layer.get());
                if (tip->Build())
                    view.tip = std::move(tip);
                auto pencil = std::make_unique<CPostilPencilUI>();
                if (pencil->Build())
                    view.pencil = std::move(pencil);
            }
            ok = view.draw != nullptr;
        },
        true);
    std::lock_guard lock(m_lock);
    m_lastPoint = {0, 0};
    m_colour = PostilColor{};
    m_nColorCode = POSTIL_RAINBOW;
    return ok;
}

void CPostilAnnotation::ShowStep(EffectPoint point)
{
    std::lock_guard lock(m_lock);
    if (m_lastPoint.x != 0 && m_lastPoint.y != 0)
        m_lastPoint = {point.x - m_screen.x, point.y - m_screen.y};
    if (!m_bCovering) {
        CConfigManager& config = m_services.Config();
        m_nColorCode = config.GetInt(ConfigInt::LineColor);
        m_nPenWidth = config.GetInt(ConfigInt::LineSize);
        m_screen = m_services.screen != nullptr ? m_services.screen->Rect() : platform::ScreenRect{};
        const bool composited = m_services.Composited();
        WriteLog(KVO_LOG_INFO, "CPresenterPostil::Show x:%d y:%d %s", point.x, point.y,
                 composited ? "compositor running" : "no compositor: shaped pencil");
        FrozenScreen frozen = FrozenScreen::CaptureWhenClear(m_services, "CPresenterPostil::Show");
        if (frozen.image.isNull()) {
            // Strokes on a black screen would hide the slide: the pen stays off the screen.
            WriteLog(KVO_LOG_ERROR, "CPresenterPostil::Show no frozen picture: nothing shown");
            return;
        }
        View::Post(m_view, CoverRequest{std::move(frozen), m_screen, composited});
        m_bCovering = true;
    }
    View::Post(m_view, PencilRequest{point});
}

void CPostilAnnotation::HideStep()
{
    std::lock_guard lock(m_lock);
    View::Post(m_view, HideRequest{});
    m_lastPoint = {0, 0};
    m_bCovering = false;
}

void CPostilAnnotation::DrawSegmentTo(EffectPoint point)
{
    std::lock_guard lock(m_lock);
    if (!m_bCovering)
        return;
    View::Post(m_view, PencilRequest{point});
    const EffectPoint q{point.x - m_screen.x, point.y - m_screen.y};
    if (m_lastPoint.x != 0 || m_lastPoint.y != 0) {
        UpdatePostilColor(m_colour, m_nColorCode, std::abs(q.x - m_lastPoint.x), std::abs(q.y - m_lastPoint.y));
        View::Post(m_view, PostilSegment{QPoint(m_lastPoint.x, m_lastPoint.y), QPoint(q.x, q.y),
                                         QColor(m_colour.r, m_colour.g, m_colour.b), m_nPenWidth});
    }
    m_lastPoint = q;
}

void CPostilAnnotation::MovePencil(EffectPoint point)
{
    std::lock_guard lock(m_lock);
    if (m_bCovering)
        View::Post(m_view, PencilRequest{point});
}

void CPostilAnnotation::Clear()
{
    std::lock_guard lock(m_lock);
    if (!m_bCovering)
        return;
    View::Post(m_view, ClearRequest{});
    m_lastPoint = {0, 0};
}

int CPostilAnnotation::StepWidth(bool up)
{
    std::lock_guard lock(m_lock);
    const int width = up ? PostilWidthUp(m_nPenWidth) : PostilWidthDown(m_nPenWidth);
    CConfigManager& config = m_services.Config();
    config.SetInt(ConfigInt::LineSize, width, false);
    WriteLog(KVO_LOG_INFO, up ? "CPresenterPostil::SetDoAndUp() LineSize:%d" : "CPresenterPostil::SetDoAndDown() LineSize:%d",
             width);
    const platform::ScreenRect screen =
        m_bCovering ? m_screen : m_services.screen != nullptr ? m_services.screen->Rect() : platform::ScreenRect{};
    View::Post(m_view, TipRequest{width, config.GetInt(ConfigInt::LineColor), screen, m_services.Composited()});
    m_nPenWidth = width;
    return width;
}

int CPostilAnnotation::PenWidth()
{
    std::lock_guard lock(m_lock);
    return m_nPenWidth;
}

PostilColor CPostilAnnotation::Colour()
{
    std::lock_guard lock(m_lock);
    return m_colour;
}

EffectPoint CPostilAnnotation::LastPoint()
{
    std::lock_guard lock(m_lock);
    return m_lastPoint;
}

CPostilDrawWindow* CPostilAnnotation::DrawWindow() const { return m_view ? m_view->draw.get() : nullptr; }
CPostilPencilUI* CPostilAnnotation::Pencil() const { return m_view ? m_view->pencil.get() : nullptr; }
CPostilPencilTipUI* CPostilAnnotation::Tip() const { return m_view ? m_view->tip.get() : nullptr; }
