#pragma once
// The small marker drawn at the centre of the spotlight: its own click-through window above the
// spotlight, sized to its picture. Without a compositor the window is shaped from the picture's
// alpha, so only the marker itself covers the slide. UI thread.

#include "EffectSurface.h"

#include <QImage>
#include <QWidget>

class SearchlightMarker final : public QWidget {
public:
    SearchlightMarker();

    // Loads the picture (a path under the skin folder). False, logged, when it cannot be read:
    // the marker then stays hidden.
    bool LoadPicture(const std::string& relativeFile);
    bool HasPicture() const { return !m_picture.isNull(); }
    // Centres the marker on a physical point of `surface` and shows it above everything.
    void ShowAt(const EffectSurface& surface, int x, int y, bool composited);
    // The picture, physical pixels (null when none could be read).
    const QImage& Picture() const { return m_picture; }
    // Size of the picture in physical pixels.
    QSize PictureSize() const { return m_picture.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    qreal m_ratio = 0.0;
    int m_shapedFor = -1; // 1 shaped for no compositor, 0 unshaped, -1 not yet set
};
