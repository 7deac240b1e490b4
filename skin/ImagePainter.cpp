#include "ImagePainter.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "CPaintManagerUI.h"
#include "ImageAttr.h"

namespace skin {
namespace {

QRect ToQRect(const RECT& rc) { return QRect(QPoint(rc.left, rc.top), QPoint(rc.right - 1, rc.bottom - 1)); }

// Nine parts: corners at their own size, edges stretched along one axis, the middle both ways.
void PaintNinePatch(QPainter& p, const QPixmap& pixmap, const QRect& src, const QRect& dst, const RECT& corner,
                    bool hole)
{
    const int l = std::clamp<int>(corner.left, 0, std::min(src.width(), dst.width()));
    const int r = std::clamp<int>(corner.right, 0, std::min(src.width(), dst.width()) - l);
    const int t = std::clamp<int>(corner.top, 0, std::min(src.height(), dst.height()));
    const int b = std::clamp<int>(corner.bottom, 0, std::min(src.height(), dst.height()) - t);
    const int sx[4] = {src.left(), src.left() + l, src.right() + 1 - r, src.right() + 1};
    const int sy[4] = {src.top(), src.top() + t, src.bottom() + 1 - b, src.bottom() + 1};
    const int dx[4] = {dst.left(), dst.left() + l, dst.right() + 1 - r, dst.right() + 1};
    const int dy[4] = {dst.top(), dst.top() + t, dst.bottom() + 1 - b, dst.bottom() + 1};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (hole && row == 1 && col == 1)
                continue;
            const QRect s(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
            const QRect d(QPoint(dx[col], dy[row]), QPoint(dx[col + 1] - 1, dy[row + 1] - 1));
            if (s.isValid() && d.isValid())
                p.drawPixmap(d, pixmap, s);
        }
    }
}

} // namespace

bool PaintSkinImage(QPainter& painter, const QRect& area, std::string_view imageText)
{
    const ImageAttr spec = ParseImageAttr(imageText);
    if (spec.file.empty())
        return false;
    const QPixmap* pixmap = CPaintManagerUI::GetImage(spec.file);
    if (pixmap == nullptr)
        return false;
    QRect src = pixmap->rect();
    if (spec.hasSource) {
        const QRect wanted = ToQRect(spec.source);
        if (wanted.isValid())
            src = wanted.intersected(pixmap->rect());
    }
    QRect dst = area;
    if (spec.hasDest) {
        const QRect wanted = ToQRect(spec.dest).translated(area.topLeft());
        if (wanted.isValid())
            dst = wanted;
    }
    if (!src.isValid() || !dst.isValid())
        return false;
    const qreal oldOpacity = painter.opacity();
    if (spec.fade < 255)
        painter.setOpacity(oldOpacity * spec.fade / 255.0);
    const RECT& c = spec.corner;
    if (c.left > 0 || c.top > 0 || c.right > 0 || c.bottom > 0)
        PaintNinePatch(painter, *pixmap, src, dst, c, spec.hole);
    else
        painter.drawPixmap(dst, *pixmap, src);
    painter.setOpacity(oldOpacity);
    return true;
}

} // namespace skin
