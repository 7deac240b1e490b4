// The screen-snapshot plug-in: the four entry points of ScreenSnapshotApi.h over a capture window
// of its own. It runs inside the program's Qt application: Snapshot, called on the program's
// capture thread, hands the work to the UI thread and waits there until the capture is saved or
// cancelled. Saving calls back 4, writes the PNG, copies the picture to the clipboard, calls
// back 5 and shows where the file went.

#include "ScreenSnapshotApi.h"
#include "SnapshotFiles.h"
#include "SnapshotOnOverlay.h"
#include "SnapshotWindow.h"

#include "DesktopSession.h"
#include "PresentationScreen.h"
#include "QtScreens.h"
#include "SessionBackends.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

constexpr int kNoticeMs = 4000;

std::atomic<ScreenSnapshotCallback> g_callback{nullptr};

// One capture at a time. g_window is touched on the UI thread only.
std::mutex g_lock;
std::condition_variable g_ended;
bool g_running = false;
bool g_cancelled = false; // CancelSnapshot came before the window was up
bool g_opening = false;   // the UI thread has begun to open this capture's window
unsigned g_capture = 0;   // which capture an opening queued on the UI thread belongs to
QPointer<SnapshotWindow> g_window;

void CallBack(int code)
{
    if (ScreenSnapshotCallback callback = g_callback.load())
        callback(code);
}

void EndCapture()
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_running = false;
    g_ended.notify_all();
}

void ShowNotice(const QString& text)
{
    auto* notice = new QLabel(text, nullptr, Qt::ToolTip | Qt::WindowStaysOnTopHint);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setAttribute(Qt::WA_ShowWithoutActivating);
    notice->setMargin(10);
    notice->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        notice->move(area.right() - notice->width() - 20, area.bottom() - notice->height() - 20);
    }
    notice->show();
    QTimer::singleShot(kNoticeMs, notice, &QWidget::close);
}

// UI thread. The file first, then the clipboard: the file is what a presenter looks for later.
void Save(const QImage& picture)
{
    CallBack(KVO_SCREEN_SHOT_SAVE_BEGIN);
    const QString folder = ScreenshotFolder();
    QString path;
    if (QDir().mkpath(folder))
        path = UniqueScreenshotPath(folder, QDateTime::currentDateTime());
    const bool saved = !path.isEmpty() && picture.save(path, "PNG");
    QGuiApplication::clipboard()->setImage(picture);
    CallBack(KVO_SCREEN_SHOT_SAVE_END);
    if (saved) {
        ShowNotice(QStringLiteral("Screenshot saved to %1").arg(QDir::toNativeSeparators(path)));
    } else {
        std::fprintf(stderr, "ScreenSnapshot: cannot write into %s\n", qPrintable(folder));
        ShowNotice(QStringLiteral("Screenshot copied to the clipboard; it could not be saved in %1").arg(folder));
    }
}

// UI thread. The plug-in keeps its own copy of the platform layer, so it learns the desktop
// session itself, once: the frozen picture and the overlay layer depend on it.
platform::IOverlaySurfaces* Overlays()
{
    static const std::unique_ptr<platform::IOverlaySurfaces> overlays = [] {
        platform::ProbeDesktopSession();
        return platform::MakeOverlaySurfaces();
    }();
    return overlays.get();
}

// UI thread: freezes the presentation screen and opens the window over it.
void Open(unsigned which)
{
    {
        std::lock_guard<std::mutex> guard(g_lock);
        // A capture cancelled before its window came up has already ended without it.
        if (which != g_capture || !g_running)
            return;
        if (g_cancelled) {
            g_running = false;
            g_ended.notify_all();
            return;
        }
        g_opening = true;
    }
    const platform::QtScreens screens;
    const platform::ScreenRect shown = platform::ChoosePresentationScreen(screens.Monitors());
    platform::IOverlaySurfaces* overlays = Overlays();
    platform::CapturedScreen desk;
    const std::unique_ptr<platform::IScreenCapture> capture = platform::MakeScreenCapture();
    if (!capture->CaptureVirtualScreen(desk) || shown.width <= 0 || shown.height <= 0) {
        std::fprintf(stderr, "ScreenSnapshot: the screen cannot be read\n");
        EndCapture();
        return;
    }
    const QImage whole(reinterpret_cast<const uchar*>(desk.pixels.get()), desk.width, desk.height, desk.width * 4, QImage::Format_ARGB32);
    QImage frozen = whole.copy(shown.x - desk.originX, shown.y - desk.originY, shown.width, shown.height);
    auto* window = new SnapshotWindow(std::move(frozen), [](const QImage& picture) {
        if (!picture.isNull())
            Save(picture);
        EndCapture();
    });
    g_window = window;
    const platform::ScreenRect logical = platform::LogicalFromPhysical(shown);
    window->setGeometry(logical.x, logical.y, logical.width, logical.height);
    if (overlays != nullptr && SnapshotOnOverlay::Show(*overlays, shown, window) != nullptr)
        return;
    window->show();
    window->raise();
    window->activateWindow();
    window->setFocus();
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void SetCallBackFunction(ScreenSnapshotCallback callback)
{
    g_callback = callback;
}

__attribute__((visibility("default"))) void Snapshot()
{
    if (QCoreApplication::instance() == nullptr || QThread::currentThread() == qApp->thread())
        return; // the window needs the UI thread free to run it
    unsigned which = 0;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_running)
            return;
        g_running = true;
        g_cancelled = false;
        g_opening = false;
        which = ++g_capture;
    }
    CallBack(KVO_SCREEN_SHOT_INI);
    QMetaObject::invokeMethod(qApp, [which] { Open(which); }, Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(g_lock);
    // A cancel that comes before the UI thread opened the window ends the capture here: the UI
    // thread may be the one waiting for this capture to end (the program ending).
    g_ended.wait(lock, [] { return !g_running || (g_cancelled && !g_opening); });
    g_running = false;
    lock.unlock();
    CallBack(KVO_SCREEN_SHOT_COMPLETE);
}

__attribute__((visibility("default"))) void ShowSnapshot()
{
    if (QCoreApplication::instance() == nullptr)
        return;
    QMetaObject::invokeMethod(qApp, [] {
        if (g_window) {
            g_window->raise();
            g_window->activateWindow();
        }
    }, Qt::QueuedConnection);
}

__attribute__((visibility("default"))) void CancelSnapshot()
{
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (!g_running)
            return;
        g_cancelled = true;
        g_ended.notify_all();
    }
    if (QCoreApplication::instance() == nullptr)
        return;
    if (QThread::currentThread() == qApp->thread()) {
        // Called on the UI thread (the program ending while a capture is open, waiting for the
        // capture thread): a queued cancel would wait for this very thread, so it ends here.
        if (g_window)
            g_window->Cancel();
        else
            EndCapture();
        return;
    }
    QMetaObject::invokeMethod(qApp, [] {
        if (g_window)
            g_window->Cancel();
    }, Qt::QueuedConnection);
}
}
