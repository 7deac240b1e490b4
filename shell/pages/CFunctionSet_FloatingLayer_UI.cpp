#include "CFunctionSet_FloatingLayer_UI.h"

#include "ConfigManager.h"
#include "CoverPainter.h"
#include "DesktopSession.h"
#include "KVOLog.h"
#include "SessionBackends.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

constexpr const char* kSkinFile = "FunctionSet_Searchlight.xml";
using Geometry = FloatingLayerGeometry;

struct EffectValues {
    int alpha;
    float aspectRatio;
    float borderRound;
};

EffectValues ValuesFor(const CConfigManager& config, Geometry::Effect effect)
{
    if (effect == Geometry::Effect::Magnifier)
        return {config.GetInt(ConfigInt::ZoomAlphaVal), config.GetReal(ConfigReal::ZoomAspectRatio),
                config.GetReal(ConfigReal::ZoomBorderRound)};
    return {config.GetInt(ConfigInt::SearchlightAlphaVal), config.GetReal(ConfigReal::SearchlightAspectRatio),
            config.GetReal(ConfigReal::SearchlightBorderRound)};
}

// The layer goes with the main window however it is moved, hidden, minimised or brought back:
// by our caption drag, or by the window manager (keyboard move, Alt-drag, tiling, restore).
class OwnerWatch final : public QObject {
public:
    explicit OwnerWatch(IFloatingLayer* layer) : m_layer(layer) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Hide:
            m_layer->SetEmptyRect();
            break;
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::WindowStateChange:
            // Once the window manager is done with the window: not from inside its show or move.
            if (!m_bPlacePending) {
                m_bPlacePending = true;
                QTimer::singleShot(0, this, [this] {
                    m_bPlacePending = false;
                    m_layer->PlaceOverMainWindow();
                });
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    IFloatingLayer* m_layer;
    bool m_bPlacePending = false;
};

QRectF ToQRectF(const RECT& r) { return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)); }

} // namespace

CFunctionSet_FloatingLayer_UI::CFunctionSet_FloatingLayer_UI(HWND mainWnd, CPaintManagerUI* mainManager, Hooks hooks)
    : WindowImplBase(kSkinFile), m_hMainWnd(mainWnd), m_pMainManager(mainManager), m_hooks(std::move(hooks)),
      m_bInside(m_hooks.insideMainWindow.value_or(platform::CurrentDesktopSession().wayland)),
      m_shape(Geometry::ShapeFor(m_fAspect, m_fRound))
{
    if (m_bInside) {
        // Blended by Qt into the main window's own pixels: no compositing manager is involved.
        m_hooks.composited = [] { return true; };
    } else if (!m_hooks.composited) {
        m_ownCompositor = platform::MakeCompositor();
        m_hooks.composited = [compositor = m_ownCompositor.get()] { return compositor->IsRunning(); };
    }
}

CFunctionSet_FloatingLayer_UI::~CFunctionSet_FloatingLayer_UI()
{
    if (QWidget* owner = WidgetFromHWND(m_hMainWnd); owner != nullptr && m_ownerWatch)
        owner->removeEventFilter(m_ownerWatch.get());
    if (m_pBackground != nullptr && m_pCoverPainter && GetWidget() != nullptr)
        m_pBackground->removeEventFilter(m_pCoverPainter.get());
}

bool CFunctionSet_FloatingLayer_UI::Build()
{
    std::lock_guard lock(m_lock);
    if (GetHWND() != nullptr)
        return true;
    // Hidden, owned by the main window (kept above it, gone with it), never activated, and
    // click-through: the page under it keeps its clicks.
    const DWORD style = m_bInside ? WS_CHILD | WS_CLIPSIBLINGS : WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    const DWORD exStyle = m_bInside ? WS_EX_NOACTIVATE | WS_EX_TRANSPARENT
                                    : WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_LAYERED;
    if (Create(m_hMainWnd, "FunctionSet_Searchlight_UI", style, exStyle, 0, 0, Geometry::kWidth, Geometry::kHeight) ==
        nullptr) {
        WriteLog(KVO_LOG_ERROR, "CFunctionSet_FloatingLayer_UI::Build %s could not be built", kSkinFile);
        return false;
    }
    if (QWidget* owner = WidgetFromHWND(m_hMainWnd)) {
        m_ownerWatch = std::make_unique<OwnerWatch>(this);
        owner->installEventFilter(m_ownerWatch.get());
    }
    return true;
}

void CFunctionSet_FloatingLayer_UI::InitWindow()
{
    m_pBackground = m_PaintManager.FindControl("windowbackground");
    m_pHole = m_PaintManager.FindControl("tanzhaodeng");
    m_pMarker = m_PaintManager.FindControl("Mouse_Center");
    m_pCoverPainter = InstallCoverPainter(m_pBackground);
    if (m_pCoverPainter)
        m_pCoverPainter->blend = m_bInside;
    // The hole control keeps the hole's place; the painter (or the shape) makes it see-through.
    if (m_pHole != nullptr)
        m_pHole->SetVisible(false);
    if (m_pMarker != nullptr)
        m_pMarker->SetVisible(false);
    if (QWidget* host = GetWidget()) {
        host->setFocusPolicy(Qt::NoFocus);
        host->hide();
    }
    m_bShown = false;
    m_bShapeApplied = false;
}

void CFunctionSet_FloatingLayer_UI::Notify(TNotifyUI&)
{
    // The preview has nothing to click.
}

RECT CFunctionSet_FloatingLayer_UI::MainRect() const
{
    if (m_hooks.mainWindowRect)
        return m_hooks.mainWindowRect();
    if (const QWidget* main = WidgetFromHWND(m_hMainWnd)) {
        const QRect g = main->geometry();
        return RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    }
    return RECT{};
}

bool CFunctionSet_FloatingLayer_UI::MainVisible() const
{
    if (m_hooks.mainWindowVisible)
        return m_hooks.mainWindowVisible();
    const QWidget* main = WidgetFromHWND(m_hMainWnd);
    return main != nullptr && main->isVisible() && !main->isMinimized();
}

void CFunctionSet_FloatingLayer_UI::PlaceOverMainWindow()
{
    std::lock_guard lock(m_lock);
    const int subPage = m_hooks.currentSubPage ? m_hooks.currentSubPage() : -1;
    const Geometry::Effect effect = Geometry::EffectFor(MainVisible(), subPage);
    if (GetHWND() == nullptr || effect == Geometry::Effect::None) {
        EmptyLocked();
        return;
    }
    const EffectValues values = ValuesFor(m_hooks.config != nullptr ? *m_hooks.config : CConfigManager::GetInstance(),
                                          effect);
    SetAlphaLocked(values.alpha);
    const POINT centre = SetAspectRatio(values.aspectRatio);
    SetBorderRound(values.borderRound);
    // The page's own marker sits under the hole, at its centre.
    if (m_pMainManager != nullptr) {
        const RECT marker = Geometry::MainMarkerRect(centre);
        if (CControlUI* label = m_pMainManager->FindControl("FunSet_Mouse_Center");
            label != nullptr && !(marker == m_mainMarkerRect && label->GetPos() == marker)) {
            label->SetPos(marker);
            m_mainMarkerRect = marker;
        }
    }
    ShowMarker(false);
    ShowOverMainWindow(MainRect());
}

void CFunctionSet_FloatingLayer_UI::SetEmptyRect()
{
    std::lock_guard lock(m_lock);
    EmptyLocked();
}

void CFunctionSet_FloatingLayer_UI::Empty() { SetEmptyRect(); }

void CFunctionSet_FloatingLayer_UI::EmptyLocked()
{
    // An X window cannot be 0 x 0: an empty layer is a hidden one.
    // Hidden, not only unseen: a part of a hidden main window would come back with it.
    if (QWidget* host = GetWidget(); host != nullptr && !host->isHidden())
        host->hide();
    m_bShown = false;
}

void CFunctionSet_FloatingLayer_UI::SetAlpha(int alpha)
{
    std::lock_guard lock(m_lock);
    SetAlphaLocked(alpha);
}

void CFunctionSet_FloatingLayer_UI::SetAlphaLocked(int alpha)
{
    // Used as a byte, as the spotlight uses it.
    alpha &= 0xFF;
    if (alpha == m_nAlpha)
        return;
    m_nAlpha = alpha;
    m_bShapeApplied = false;
    ApplyShapeLocked();
}

POINT CFunctionSet_FloatingLayer_UI::SetAspectRatio(float aspectRatio)
{
    std::lock_guard lock(m_lock);
    if (aspectRatio != m_fAspect) {
        m_fAspect = aspectRatio;
        const Geometry::Shape shape = Geometry::ShapeFor(m_fAspect, m_fRound);
        if (!(shape.hole == m_shape.hole && shape.round == m_shape.round)) {
            m_shape = shape;
            m_bShapeApplied = false;
            ApplyShapeLocked();
        }
    }
    return m_shape.centre;
}

void CFunctionSet_FloatingLayer_UI::SetBorderRound(float borderRound)
{
    std::lock_guard lock(m_lock);
    if (borderRound == m_fRound)
        return;
    m_fRound = borderRound;
    const Geometry::Shape shape = Geometry::ShapeFor(m_fAspect, m_fRound);
    if (shape.round == m_shape.round)
        return;
    m_shape = shape;
    m_bShapeApplied = false;
    ApplyShapeLocked();
}

void CFunctionSet_FloatingLayer_UI::ShowMarker(bool show)
{
    std::lock_guard lock(m_lock);
    if (m_pMarker == nullptr)
        return;
    const RECT rect = Geometry::LayerMarkerRect(m_shape.centre);
    if (!(m_pMarker->GetPos() == rect))
        m_pMarker->SetPos(rect);
    if (m_pMarker->IsVisible() != show)
        m_pMarker->SetVisible(show);
}

void CFunctionSet_FloatingLayer_UI::ShowOverMainWindow(const RECT& mainRect)
{
    std::lock_guard lock(m_lock);
    QWidget* host = GetWidget();
    if (host == nullptr)
        return;
    // Asked at every placement: a compositor that starts or stops meanwhile is followed.
    const bool composited = m_hooks.composited && m_hooks.composited();
    if (composited != m_bComposited) {
        m_bComposited = composited;
        m_bShapeApplied = false;
    }
    if (!m_bShapeApplied)
        ApplyShapeLocked();
    // A part of the main window is placed in its coordinates.
    const RECT panel = m_bInside ? Geometry::PanelRect(0, 0)
                                 : Geometry::PanelRect(static_cast<int>(mainRect.left), static_cast<int>(mainRect.top));
    const QRect geometry(static_cast<int>(panel.left), static_cast<int>(panel.top), Geometry::kWidth, Geometry::kHeight);
    if (host->geometry() != geometry)
        host->setGeometry(geometry);
    if (host->isHidden()) {
        host->show();
        host->raise();
    } else if (m_bInside && host->parentWidget() != nullptr && host->parentWidget()->children().last() != host) {
        // Parts the page made since stay under the panel.
        host->raise();
    }
    m_bShown = true;
    m_shownRect = panel;
}

void CFunctionSet_FloatingLayer_UI::ApplyShapeLocked()
{
    QWidget* host = GetWidget();
    if (host == nullptr)
        return;
    const QRectF hole = ToQRectF(m_shape.hole);
    if (m_pHole != nullptr) {
        m_pHole->SetBorderRound(m_shape.round);
        m_pHole->SetPos(m_shape.hole);
    }
    if (m_pCoverPainter && m_pBackground != nullptr) {
        // Without a compositor alpha is ignored by the server: the panel is opaque.
        m_pCoverPainter->colour = QColor(0, 0, 0, m_bComposited ? m_nAlpha : 0xFF);
        m_pCoverPainter->clearHole = m_bComposited;
        m_pCoverPainter->hole = hole.translated(m_pBackground->mapFrom(host, QPointF(0, 0)));
        m_pCoverPainter->round = m_shape.round;
        m_pBackground->update();
    }
    if (m_bComposited)
        host->clearMask();
    else
        host->setMask(QRegion(0, 0, Geometry::kWidth, Geometry::kHeight) - HoleRegion(hole, m_shape.round));
    m_bShapeApplied = true;
}

bool CFunctionSet_FloatingLayer_UI::IsShownOver() const
{
    std::lock_guard lock(m_lock);
    return m_bShown;
}

FloatingLayerGeometry::Shape CFunctionSet_FloatingLayer_UI::GetShape() const
{
    std::lock_guard lock(m_lock);
    return m_shape;
}

bool CFunctionSet_FloatingLayer_UI::IsComposited() const
{
    std::lock_guard lock(m_lock);
    return m_bComposited;
}
