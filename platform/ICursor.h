#pragma once
// The system mouse cursor: where it is, moving it, and hiding it while an effect stands in for
// it. Positions are in physical pixels on the virtual desktop. Callable from any thread.

namespace platform {

struct CursorPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CursorPoint&) const = default;
};

class ICursor {
public:
    virtual ~ICursor() = default;
    virtual CursorPoint GetPos() const = 0;
    virtual void SetPos(CursorPoint point) = 0;
    // Hide and Show nest like a counter: the cursor shows again after as many Shows as Hides.
    virtual void Hide() = 0;
    virtual void Show() = 0;
    // Hides not yet matched by a Show.
    virtual int HideCount() const = 0;
};

} // namespace platform
