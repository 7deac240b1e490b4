#include "CaptureBlockers.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

std::vector<QWidget*>& Windows()
{
    static std::vector<QWidget*> windows;
    return windows;
}

} // namespace

void CaptureBlockers::Add(QWidget* window)
{
    std::vector<QWidget*>& windows = Windows();
    if (window == nullptr || std::find(windows.begin(), windows.end(), window) != windows.end())
        return;
    windows.push_back(window);
    QObject::connect(window, &QObject::destroyed, [window] { Remove(window); });
}

void CaptureBlockers::Remove(QWidget* window)
{
    std::vector<QWidget*>& windows = Windows();
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

bool CaptureBlockers::AnyShown()
{
    const std::vector<QWidget*>& windows = Windows();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* w) { return w->isVisible(); });
}

} // namespace platform
