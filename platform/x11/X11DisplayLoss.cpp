#include "X11DisplayLoss.h"

#include <QString>
#include <QtGlobal>

#include <X11/Xlib.h>

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace platform {

namespace {

std::function<void()> g_lastWords;
QtMessageHandler g_previousHandler = nullptr;

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (g_previousHandler != nullptr)
        g_previousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    // Qt calls exit() right after this warning.
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("The X11 connection broke")))
        DisplayLost("Qt");
}

int OnXlibIoError(Display*)
{
    DisplayLost("Xlib");
}

} // namespace

void EndCleanlyWhenDisplayLost(std::function<void()> lastWords)
{
    g_lastWords = std::move(lastWords);
    g_previousHandler = qInstallMessageHandler(&OnQtMessage);
    XSetIOErrorHandler(&OnXlibIoError);
}

void DisplayLost(const char* how)
{
    // Several threads may notice at once; the first one speaks, the others wait for the end.
    static std::mutex s_once;
    s_once.lock();
    std::fprintf(stderr, "Orvelle: the X server has gone (noticed by %s); ending\n", how);
    if (g_lastWords)
        g_lastWords();
    std::fflush(nullptr);
    _exit(1);
}

} // namespace platform
