#include "UiThread.h"

#include "CWindowWnd.h"
#include "WindowHandle.h"

#include <QCoreApplication>
#include <QThread>

bool IsUiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void CallOnUiThread(const std::function<void()>& call, bool wait)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    if (IsUiThread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(app, call, wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

bool DeliverToWindow(CWindowWnd& window, HWND target, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (IsUiThread()) {
        if (window.GetHWND() == nullptr)
            return false;
        window.SendMessage(msg, wParam, lParam);
        return true;
    }
    return ::PostMessageW(target, msg, wParam, lParam) != 0;
}
