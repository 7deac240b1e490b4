#pragma once
// The capture window: the frozen presentation screen shown full screen under a crosshair. Drag
// to select (the size shows beside the selection); Enter or a double click saves, Escape or a
// right click cancels. UI thread only.

#include "SnapshotSelection.h"

#include <QImage>
#include <QWidget>

#include <functional>

class SnapshotWindow final : public QWidget {
public:
    // `done` gets the picture to save, or a null image when the capture was cancelled; it is
    // called once, and the window closes itself afterwards.
    SnapshotWindow(QImage frozen, std::function<void(const QImage&)> done);

    void Cancel() { Finish(false); }
    const SnapshotSelection& Selection() const { return m_selection; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Finish(bool save);
    // Window (logical) coordinates to picture pixels.
    QPoint ToPicture(QPointF at) const;

    QImage m_frozen;
    SnapshotSelection m_selection;
    std::function<void(const QImage&)> m_done;
};
