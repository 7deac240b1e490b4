#include "SearchlightMarker.h"

#include "CPaintManagerUI.h"
#include "KVOLog.h"
#include "OverlayWindow.h"

#include <QBitmap>
#include <QPainter>

#include <cmath>

SearchlightMarker::SearchlightMarker() : QWidget(nullptr)
{
    setObjectName(QStringLiteral("SearchLight_MouseCenterWnd"));
    SetOverlayTraits(this, true);
    resize(28, 28);
}

bool SearchlightMarker::LoadPicture(const std::string& relativeFile)
{
    const std::string path = CPaintManagerUI::ResolveResourceFile(relativeFile);
    QImage picture;
    if (!picture.load(QString::fromStdString(path))) {
        WriteLog(KVO_LOG_WARN, "SearchLight_MouseCenterWnd cannot load %s", path.c_str());
        m_picture = QImage();
        return false;
    }
    m_picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_shapedFor = -1;
    m_ratio = 0.0;
    return true;
}

void SearchlightMarker::ShowAt(const EffectSurface& surface, int x, int y, bool composited)
{
    if (m_picture.isNull()) {
        hide();
        return;
    }
    const int w = m_picture.width();
    const int h = m_picture.height();
    if (m_ratio != surface.ratio) {
        m_ratio = surface.ratio;
        m_picture.setDevicePixelRatio(m_ratio);
        resize(static_cast<int>(std::ceil(w / m_ratio)), static_cast<int>(std::ceil(h / m_ratio)));
        m_shapedFor = -1;
    }
    if (m_shapedFor != (composited ? 0 : 1)) {
        m_shapedFor = composited ? 0 : 1;
        if (composited)
            clearMask();
        else
            setMask(QBitmap::fromImage(m_picture.scaled(size()).createAlphaMask()));
    }
    const QPointF topLeft = surface.ToLogical(x - w / 2, y - h / 2);
    move(static_cast<int>(std::lround(topLeft.x())), static_cast<int>(std::lround(topLeft.y())));
    if (!isVisible())
        show();
    raise();
}

void SearchlightMarker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QPointF(0, 0), m_picture);
}
