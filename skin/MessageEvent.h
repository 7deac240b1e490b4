#pragma once
// The event that carries a posted window message to the UI thread.

#include <QEvent>

#include "SkinTypes.h"

namespace skin {

class MessageEvent : public QEvent {
public:
    MessageEvent(UINT msg, WPARAM wParam, LPARAM lParam);
    static QEvent::Type EventType();

    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

} // namespace skin
