#include "X11KeepAbove.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

xcb_connection_t* QtConnection()
{
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

// Hears the root window's substructure events on Qt's own connection. They are ours alone:
// Qt did not ask for them and would take a restack of the root's children for a change of the
// screens, so none of them is passed on.
class RestackWatch final : public QAbstractNativeEventFilter {
public:
    explicit RestackWatch(xcb_connection_t* connection)
    {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        m_root = xcb_setup_roots_iterator(setup).data->root;
        xcb_get_window_attributes_reply_t* reply =
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, m_root), nullptr);
        const std::uint32_t was = reply != nullptr ? reply->your_event_mask : 0;
        const std::uint32_t mask = was | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        std::free(reply);
        m_bOwnEvents = (was & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY) == 0;
        xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
        m_raise.setSingleShot(true);
        m_raise.setInterval(0);
        QObject::connect(&m_raise, &QTimer::timeout, [] { X11KeepAbove::RaiseShown(); });
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_window_t from = 0;
        xcb_window_t window = 0;
        switch (event->response_type & 0x7F) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            from = e->event;
            window = e->window;
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            from = e->event;
            window = e->window;
            break;
        }
        case XCB_CIRCULATE_NOTIFY: {
            const auto* e = reinterpret_cast<const xcb_circulate_notify_event_t*>(event);
            from = e->event;
            window = e->window;
            break;
        }
        case XCB_UNMAP_NOTIFY:
        case XCB_REPARENT_NOTIFY:
        case XCB_DESTROY_NOTIFY:
        case XCB_GRAVITY_NOTIFY: {
            // Same layout up to the window: what the root's substructure reports and Qt never asked for.
            const auto* e = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
            return m_bOwnEvents && e->event == m_root && e->window != m_root;
        }
        default:
            return false;
        }
        if (from != m_root || window == m_root)
            return false;
        if (!Kept(window))
            m_raise.start();
        return m_bOwnEvents;
    }

    std::vector<QPointer<QWidget>> windows;

private:
    bool Kept(xcb_window_t window) const
    {
        return std::any_of(windows.begin(), windows.end(), [window](const QPointer<QWidget>& w) {
            return w && w->internalWinId() == window;
        });
    }

    xcb_window_t m_root = 0;
    bool m_bOwnEvents = true; // Qt had not asked for them: they are not passed on
    QTimer m_raise;
};

RestackWatch* g_watch = nullptr;

} // namespace

void X11KeepAbove::Track(QWidget* window)
{
    xcb_connection_t* connection = QtConnection();
    if (window == nullptr || connection == nullptr)
        return;
    if (g_watch == nullptr) {
        g_watch = new RestackWatch(connection); // lives as long as the application's connection
        qGuiApp->installNativeEventFilter(g_watch);
    }
    auto& windows = g_watch->windows;
    windows.erase(std::remove(windows.begin(), windows.end(), nullptr), windows.end());
    if (std::find(windows.begin(), windows.end(), window) == windows.end())
        windows.emplace_back(window);
}

void X11KeepAbove::RaiseShown()
{
    xcb_connection_t* connection = QtConnection();
    if (g_watch == nullptr || connection == nullptr)
        return;
    std::vector<QWidget*> shown;
    for (const QPointer<QWidget>& w : g_watch->windows) {
        if (w && w->isVisible() && w->internalWinId() != 0)
            shown.push_back(w.data());
    }
    if (shown.empty())
        return;
    // Raised bottom to top as they are stacked now, so a lens stays above its dim layer.
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
    if (tree == nullptr)
        return;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    for (int i = 0; i < count; ++i) {
        const bool ours = std::any_of(shown.begin(), shown.end(),
                                      [&](const QWidget* w) { return w->internalWinId() == children[i]; });
        if (ours)
            xcb_configure_window(connection, children[i], XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }
    std::free(tree);
    xcb_flush(connection);
}

} // namespace platform
