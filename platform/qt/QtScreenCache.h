#pragma once
// The Qt monitor list, readable from any thread. Qt's screens may only be read on the UI thread,
// so this copies them there whenever a screen comes, goes or changes, and hands out the copy.

#include "IScreens.h"

#include <memory>
#include <mutex>

class QObject;

namespace platform {

class QtScreenCache final : public IScreens {
public:
    // On the UI thread, after the QGuiApplication exists.
    QtScreenCache();
    ~QtScreenCache() override;
    std::vector<ScreenRect> Monitors() const override;
    // Re-reads the screens; UI thread only. Called by the Qt signals, public for tests.
    void Refresh();

private:
    void Track(QObject* screen);

    mutable std::mutex m_mutex;
    std::vector<ScreenRect> m_monitors;
    std::unique_ptr<QObject> m_context;  // owns the signal connections
};

} // namespace platform
