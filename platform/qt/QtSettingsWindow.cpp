#include "QtSettingsWindow.h"

#include <QMetaObject>

namespace platform {

void QtSettingsWindow::HideSettingsWindow()
{
    QPointer<QWidget> window = m_window;
    if (window.isNull())
        return;
    QMetaObject::invokeMethod(window, [window] {
        if (!window.isNull())
            window->hide();
    }, Qt::QueuedConnection);
}

void QtSettingsWindow::ShowSettingsWindow()
{
    QPointer<QWidget> window = m_window;
    if (window.isNull())
        return;
    QMetaObject::invokeMethod(window, [window] {
        if (window.isNull())
            return;
        window->show();
        window->raise();
        window->activateWindow();
    }, Qt::QueuedConnection);
}

bool QtSettingsWindow::IsSettingsWindowVisible() const
{
    // A flag read from any thread; the answer may be a moment old, which is all callers need.
    const QWidget* window = m_window.data();
    return window != nullptr && window->isVisible();
}

} // namespace platform
