#pragma once
// Dragging the settings window by its top band: a left press in the top 50 client rows starts a
// drag; each move then puts the window where the cursor's offset from the press says.

#include <optional>

struct DragPoint {
    int x = 0;
    int y = 0;
    bool operator==(const DragPoint&) const = default;
};

class CCaptionDrag {
public:
    static constexpr int kCaptionHeight = 50;

    // A left press at client row `clientY`, the cursor and the window's top-left corner in screen
    // coordinates. True when the press starts a drag.
    bool Press(int clientY, DragPoint cursor, DragPoint windowPos);
    // The window's new top-left corner for the cursor now, while dragging.
    std::optional<DragPoint> Move(DragPoint cursor);
    // Ends the drag; true when one was running.
    bool Release();
    bool IsDragging() const { return m_bDragging; }

private:
    bool m_bDragging = false;
    DragPoint m_cursorAtPress;
    DragPoint m_windowAtPress;
};
