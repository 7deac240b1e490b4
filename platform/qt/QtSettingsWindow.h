#pragma once
// Hide and show of the settings window from any thread: the work is posted to the widget's own
// (UI) thread and not waited for. A widget that is gone by then is left alone.

#include "ISettingsWindow.h"

#include <QPointer>
#include <QWidget>

namespace platform {

class QtSettingsWindow final : public ISettingsWindow {
public:
    explicit QtSettingsWindow(QWidget* window) : m_window(window) {}
    void HideSettingsWindow() override;
    void ShowSettingsWindow() override;
    bool IsSettingsWindowVisible() const override;

private:
    QPointer<QWidget> m_window;
};

} // namespace platform
