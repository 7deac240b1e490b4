#include "KVOMagnifyManager.h"

#include "ConfigManager.h"
#include "EffectCommandQueue.h"
#include "FrozenScreen.h"
#include "IPresentationScreen.h"
#include "KVOLog.h"
#include "MagnifierLayer.h"
#include "MagnifierLens.h"
#include "MagnifierWindows.h"
#include "OverlayWindow.h"
#include "PresentationScreen.h"
#include "UIlib.h"
#include "UiThread.h"
#include "Zoom_UI.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstring>

namespace {

constexpr const char* kMarkerPicture = "button\\FunctionSet\\Mouse_Center.png";

const EffectCmdTexts kMagnifyTexts{"KVOMagnifyManager::PushMagnifyCmd return by: (cmdInfo == NULL)",
                                   "KVOMagnifyManager::PushMagnifyCmd size is full",
                                   "KVOMagnifyManager::CircleActionThread() return by: (cmdInfo == NULL)",
                                   "KVOMagnifyManager::CircleActionThread() return by: (1 == cmdInfo.exit_tag).",
                                   "KVOMagnifyManager::CircleActionThread() return by: (cmdInfo->obj == NULL)"};

struct MotionNode {
    int32_t type;
    int32_t x;
    int32_t y;
};

} // namespace

// What the windows should show, written by the two threads and drawn on the UI thread. Posted
// work holds it weakly, so it may still run after the manager is gone.
struct KVOMagnifyManager::View : std::enable_shared_from_this<View> {
    // At most 40 lens frames a second: each one uploads the whole lens and makes the X server
    // redraw where it was and where it is, so drawing all 100 moves a second of the remote would
    // cost several times what the eye gains from it.
    static constexpr qint64 kFrameMs = 25;

    std::mutex lock;
    bool shown = false;
    int showCount = 0; // a new show brings a new picture and settings
    FrozenScreen frozen;
    Snapshot snapshot;
    EffectPoint point;
    EffectSize size;
    bool posted = false;

    // The compositor's overlay layer, where the session has one; null: windows.
    platform::IOverlaySurfaces* overlays = nullptr;

    // UI thread.
    std::unique_ptr<MagnifierLayer> layer;
    int appliedShow = -1;
    FrozenScreen uiFrozen;
    EffectSurface surface;
    QImage marker;
    bool markerTried = false;
    QElapsedTimer lastDrawn;

    static void Post(const std::shared_ptr<View>& view) { PostApplyOnce(view, view->lock, view->posted); }

    void Apply()
    {
        bool isShown = false;
        int show = 0;
        Snapshot settings;
        EffectPoint at;
        EffectSize lensSize;
        {
            std::lock_guard guard(lock);
            // A move sooner than a frame after the last one waits for the frame, still taking
            // every move that comes meanwhile.
            if (shown && showCount == appliedShow && lastDrawn.isValid() && lastDrawn.elapsed() < kFrameMs) {
                std::weak_ptr<View> weak = weak_from_this();
                QTimer::singleShot(static_cast<int>(kFrameMs - lastDrawn.elapsed()), [weak] {
                    if (std::shared_ptr<View> v = weak.lock())
                        v->Apply();
                });
                return;
            }
            posted = false;
            isShown = shown;
            show = showCount;
            settings = snapshot;
            at = point;
            lensSize = size;
            if (show != appliedShow)
                uiFrozen = frozen;
        }
        MagnifierLens* lens = GetZoomLens();
        Zoom_UI* dim = GetZoomUI();
        if (overlays != nullptr && lens != nullptr && ApplyOnLayer(*lens, isShown, show, settings, at, lensSize))
            return;
        if (!isShown) {
            if (lens != nullptr)
                lens->Collapse();
            if (dim != nullptr)
                dim->Collapse();
            uiFrozen = FrozenScreen{};
            appliedShow = show;
            return;
        }
        if (lens == nullptr || dim == nullptr)
            return;
        if (show != appliedShow) {
            appliedShow = show;
            surface = EffectSurface::For(settings.screen);
            dim->Cover(surface, settings.alpha, settings.composited, uiFrozen.image, uiFrozen.origin);
            LoadMarker(settings);
            lens->hide(); // shown again above the fresh dim layer
        }
        if (uiFrozen.image.isNull())
            return;
        MagnifierLens::Look look{lensSize, settings.zoom, settings.borderRound, settings.composited};
        const EffectPoint capturePoint{at.x - uiFrozen.origin.x(), at.y - uiFrozen.origin.y()};
        lens->Render(uiFrozen.image, capturePoint, look, settings.showMouse ? &marker : nullptr, surface, at);
        lastDrawn.start();
    }

    void LoadMarker(const Snapshot& settings)
    {
        if (!settings.showMouse || markerTried)
            return;
        markerTried = true;
        // A marker that cannot be read is left out without a word.
        QImage picture;
        if (picture.load(QString::fromStdString(CPaintManagerUI::ResolveResourceFile(kMarkerPicture))))
            marker = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

    // The dim layer and the lens on the overlay layer; false when the cover cannot be put up
    // (the windows take over). The lens window only prepares the lens's picture there.
    bool ApplyOnLayer(MagnifierLens& lens, bool isShown, int show, const Snapshot& settings, EffectPoint at,
                      EffectSize lensSize)
    {
        if (!layer)
            layer = std::make_unique<MagnifierLayer>(overlays);
        if (!isShown) {
            layer->Hide();
            lens.Collapse();
            uiFrozen = FrozenScreen{};
            appliedShow = show;
            return true;
        }
        if (show != appliedShow) {
            if (!layer->Cover(settings.screen, settings.alpha))
                return false;
            WriteLog(KVO_LOG_INFO, "KVOMagnifyManager::Show on the compositor's overlay layer");
            appliedShow = show;
            LoadMarker(settings);
        }
        if (uiFrozen.image.isNull() || lensSize.width <= 0 || lensSize.height <= 0)
            return true;
        // Real alpha on the overlay layer: the lens's corners are cleared, not cut by a shape.
        const MagnifierLens::Look look{lensSize, settings.zoom, settings.borderRound, true};
        const EffectPoint capturePoint{at.x - uiFrozen.origin.x(), at.y - uiFrozen.origin.y()};
        lens.Prepare(uiFrozen.image, capturePoint, look, settings.showMouse ? &marker : nullptr, 1.0);
        QImage frame = lens.Frame();
        frame.setDevicePixelRatio(1.0);
        layer->ShowLens(frame, at);
        lastDrawn.start();
        return true;
    }
};

KVOMagnifyManager::KVOMagnifyManager(EffectServices services)
    : m_services(std::move(services))
    , m_view(std::make_shared<View>())
    , m_thread(std::make_unique<MagnifyActionThread>("MagnifyActionThread", this))
    , m_motion(kMotionCapacity, 16, [this](const uint8_t* data, uint32_t used) { HandleMotion(data, used); })
{
    m_view->overlays = m_services.overlays;
    m_thread->Start();
}

KVOMagnifyManager::~KVOMagnifyManager()
{
    StopWorker(m_thread.get(), m_magnifyQueue);
    m_thread.reset();
    m_motion.Stop();
}

void KVOMagnifyManager::Create()
{
    CallOnUiThread([] { Zoom_CreatWindow(); }, true);
    m_motion.Start();
}

bool KVOMagnifyManager::Show(EffectPoint point)
{
    if (m_shown.RequestShow())
        PushMagnifyCmd(MAGNIFY_SHOW, point);
    return true;
}

bool KVOMagnifyManager::Hide(bool force)
{
    {
        std::lock_guard lock(m_lock);
        if (!force && m_snapshot.saveStatu)
            return false;
    }
    m_shown.RequestHide();
    PushMagnifyCmd(MAGNIFY_HIDE, EffectPoint{0, 0});
    return true;
}

bool KVOMagnifyManager::IsShown() { return m_shown.IsShown(); }

void KVOMagnifyManager::Move(EffectPoint point) { PushMotion(MAGNIFY_MOVE, point); }

void KVOMagnifyManager::SetDoAndUp(EffectPoint point) { PushMotion(MAGNIFY_SIZE_UP, point); }

void KVOMagnifyManager::SetDoAndDown(EffectPoint point) { PushMotion(MAGNIFY_SIZE_DOWN, point); }

int KVOMagnifyManager::GetShownState() { return m_shown.Get(); }

EffectSize KVOMagnifyManager::LensSize()
{
    std::lock_guard lock(m_lock);
    return m_lens;
}

void KVOMagnifyManager::PushMagnifyCmd(MagnifyCmd code, EffectPoint point)
{
    // Show and hide wait for room: neither may be lost.
    PushEffectCmd(m_magnifyQueue, code, point, true, kMagnifyTexts);
}

void KVOMagnifyManager::PushMotion(MotionType type, EffectPoint point)
{
    const MotionNode node{type, point.x, point.y};
    // Size steps wait for room; a move that finds the queue full is dropped.
    m_motion.Push(&node, sizeof node, type != MAGNIFY_MOVE);
}

bool KVOMagnifyManager::CircleActionThread()
{
    int code = 0;
    EffectPoint point;
    const EffectCmdTaken taken = TakeEffectCmd(m_magnifyQueue, kMagnifyTexts, code, point);
    if (taken != EffectCmdTaken::Run)
        return taken != EffectCmdTaken::Exit;
    if (code == MAGNIFY_HIDE)
        HideStep();
    else if (code == MAGNIFY_SHOW)
        ShowStep();
    return true;
}

void KVOMagnifyManager::ShowStep()
{
    WriteLog(KVO_LOG_INFO, "Zoom_Show begin");
    CConfigManager& config = m_services.Config();
    Snapshot snapshot;
    snapshot.screen = m_services.screen != nullptr ? m_services.screen->Rect() : platform::ScreenRect{};
    snapshot.zoom = config.GetReal(ConfigReal::ZoomMom);
    snapshot.saveStatu = config.GetInt(ConfigInt::ZoomSaveStatu) != 0;
    snapshot.showMouse = config.GetInt(ConfigInt::ZoomShowMouse) != 0;
    snapshot.aspectRatio = config.GetReal(ConfigReal::ZoomAspectRatio);
    snapshot.borderRound = config.GetReal(ConfigReal::ZoomBorderRound);
    snapshot.alpha = config.GetInt(ConfigInt::ZoomAlphaVal) & 0xFF;
    snapshot.composited = m_services.Composited();
    WriteLog(KVO_LOG_INFO, "KVOMagnifyManager::Show %s",
             snapshot.composited ? "compositor running: translucent dim layer"
                                 : "no compositor: dim layer drawn from the frozen screen");
    const CConfigManager::Size stored = config.GetEffectSize(CConfigManager::EffectSize::ZoomLens);
    const EffectSize lens{stored.width, LensHeight(stored.width, snapshot.aspectRatio)};

    WriteLog(KVO_LOG_INFO, "Zoom_CapTureScreenToBuffer Begin");
    FrozenScreen frozen = FrozenScreen::CaptureWhenClear(m_services, "Zoom_CapTureScreenToBuffer");
    WriteLog(KVO_LOG_INFO, "Zoom_CapTureScreenToBuffer end");

    const EffectPoint point = m_services.EffectPointNow();
    {
        std::lock_guard lock(m_lock);
        m_snapshot = snapshot;
        m_lens = lens;
        m_lastPoint = point;
    }
    // Without a picture there is no lens to show, and a darkened black screen helps nobody.
    const bool pictured = !frozen.image.isNull();
    if (!pictured)
        WriteLog(KVO_LOG_ERROR, "KVOMagnifyManager::Show no frozen picture: nothing shown");
    {
        std::lock_guard guard(m_view->lock);
        m_view->shown = pictured;
        ++m_view->showCount;
        m_view->frozen = std::move(frozen);
        m_view->snapshot = snapshot;
        m_view->point = point;
        m_view->size = lens;
    }
    View::Post(m_view);
    m_shown.MarkShown();
    WriteLog(KVO_LOG_INFO, "Zoom_Show end");
}

void KVOMagnifyManager::HideStep()
{
    WriteLog(KVO_LOG_INFO, "kvo_zoom_hide()");
    {
        std::lock_guard guard(m_view->lock);
        m_view->shown = false;
        m_view->frozen = FrozenScreen{};
    }
    View::Post(m_view);
    m_shown.MarkHidden();
}

void KVOMagnifyManager::HandleMotion(const uint8_t* data, uint32_t used)
{
    if (used < sizeof(MotionNode))
        return;
    MotionNode node;
    std::memcpy(&node, data, sizeof node);
    const EffectPoint point{node.x, node.y};
    // Moves before the show step has finished have no picture to show.
    if (m_shown.Get() != STATE_SHOWN)
        return;
    bool changed = false;
    {
        std::lock_guard lock(m_lock);
        changed = point.x != m_lastPoint.x || point.y != m_lastPoint.y;
    }
    if (node.type == MAGNIFY_SIZE_UP || node.type == MAGNIFY_SIZE_DOWN) {
        SizeStep(node.type == MAGNIFY_SIZE_UP);
        changed = true;
    }
    if (!changed)
        return;
    EffectSize lens;
    {
        std::lock_guard lock(m_lock);
        m_lastPoint = point;
        lens = m_lens;
    }
    {
        std::lock_guard guard(m_view->lock);
        m_view->point = point;
        m_view->size = lens;
    }
    View::Post(m_view);
}

void KVOMagnifyManager::SizeStep(bool up)
{
    CConfigManager& config = m_services.Config();
    const CConfigManager::Size stored = config.GetEffectSize(CConfigManager::EffectSize::ZoomLens);
    EffectSize size{stored.width, stored.height};
    std::lock_guard lock(m_lock);
    const bool large = platform::IsLargeScreen(m_snapshot.screen);
    if (up)
        SearchlightStepUp(size, m_snapshot.screen.width, large);
    else
        SearchlightStepDown(size, large);
    config.SetEffectSize(CConfigManager::EffectSize::ZoomLens, {size.width, size.height});
    m_lens = {size.width, LensHeight(size.width, m_snapshot.aspectRatio)};
}
