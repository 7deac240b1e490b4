#include "X11NativeWindow.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdint>

#include <cstdlib>

namespace platform {

namespace {

// Qt's connection when `window` is a native X11 window, else null.
xcb_connection_t* ConnectionFor(QWindow* window)
{
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || window == nullptr || window->handle() == nullptr)
        return nullptr;
    return x11->connection();
}

} // namespace

bool MoveNativeWindow(QWindow* window, int x, int y)
{
    xcb_connection_t* connection = ConnectionFor(window);
    if (connection == nullptr)
        return false;
    // The protocol carries the coordinates as 32-bit values; negative ones travel as their bits.
    const std::uint32_t values[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)};
    xcb_configure_window(connection, static_cast<xcb_window_t>(window->winId()),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    xcb_flush(connection);
    return true;
}

std::uint32_t MuteStructureNotifications(QWindow* window)
{
    xcb_connection_t* connection = ConnectionFor(window);
    if (connection == nullptr)
        return 0;
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
    if (reply == nullptr)
        return 0;
    const std::uint32_t mask = reply->your_event_mask;
    std::free(reply);
    if ((mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY) == 0)
        return 0;
    const std::uint32_t muted = mask & ~static_cast<std::uint32_t>(XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &muted);
    xcb_flush(connection);
    return mask;
}

void RestoreEventMask(QWindow* window, std::uint32_t mask)
{
    xcb_connection_t* connection = ConnectionFor(window);
    if (connection == nullptr || mask == 0)
        return;
    xcb_change_window_attributes(connection, static_cast<xcb_window_t>(window->winId()), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

void SyncWithServer()
{
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return;
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

} // namespace platform
