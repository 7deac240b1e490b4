#include "QtScreenCache.h"

#include "QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

QtScreenCache::QtScreenCache() : m_context(std::make_unique<QObject>())
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(app, &QGuiApplication::screenAdded, m_context.get(), [this](QScreen* screen) {
            Track(screen);
            Refresh();
        });
        QObject::connect(app, &QGuiApplication::screenRemoved, m_context.get(), [this] { Refresh(); });
        QObject::connect(app, &QGuiApplication::primaryScreenChanged, m_context.get(), [this] { Refresh(); });
        for (QScreen* screen : QGuiApplication::screens())
            Track(screen);
    }
    Refresh();
}

QtScreenCache::~QtScreenCache() = default;

void QtScreenCache::Track(QObject* screen)
{
    auto* qscreen = qobject_cast<QScreen*>(screen);
    if (qscreen == nullptr)
        return;
    QObject::connect(qscreen, &QScreen::geometryChanged, m_context.get(), [this] { Refresh(); });
}

void QtScreenCache::Refresh()
{
    std::vector<ScreenRect> monitors = QtScreens().Monitors();
    std::lock_guard guard(m_mutex);
    m_monitors = std::move(monitors);
}

std::vector<ScreenRect> QtScreenCache::Monitors() const
{
    std::lock_guard guard(m_mutex);
    return m_monitors;
}

} // namespace platform
