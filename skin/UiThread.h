#pragma once
// Whether the caller runs on the thread that owns the widgets. Window entry points that worker
// threads may call act at once on the UI thread and post to it from anywhere else.

#include <QCoreApplication>
#include <QThread>

inline bool IsUiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}
