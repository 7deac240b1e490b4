#include "MessageEvent.h"

namespace skin {

MessageEvent::MessageEvent(UINT m, WPARAM w, LPARAM l) : QEvent(EventType()), msg(m), wParam(w), lParam(l) {}

QEvent::Type MessageEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace skin
