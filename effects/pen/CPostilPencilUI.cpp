#include "CPostilPencilUI.h"

#include "KVOLog.h"
#include "OverlayWindow.h"

#include <QBitmap>
#include <QImage>
#include <QWidget>

#include <cmath>

CPostilPencilUI::CPostilPencilUI() : WindowImplBase("PostilPencilUI.xml") {}

bool CPostilPencilUI::Build()
{
    return BuildEffectWindow(*this, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
                             kSide, kSide, "CPostilPencilUI::Build PostilPencilUI.xml could not be built");
}

void CPostilPencilUI::InitWindow()
{
    // The pencil only moves; nothing of it needs a timer of its own here.
    if (QWidget* host = GetWidget()) {
        SetOverlayTraits(host, true);
        host->hide();
    }
}

void CPostilPencilUI::PlaceAt(const EffectSurface& surface, int x, int y, bool composited)
{
    QWidget* host = GetWidget();
    if (host == nullptr)
        return;
    if (m_shapedFor != (composited ? 0 : 1)) {
        m_shapedFor = composited ? 0 : 1;
        QImage picture;
        if (composited || !picture.load(QString::fromStdString(
                              CPaintManagerUI::ResolveResourceFile("button\\FunctionSet\\Pencil.png"))))
            host->clearMask();
        else
            host->setMask(QBitmap::fromImage(picture.createAlphaMask().scaled(host->size())));
    }
    const QRectF logical = surface.ToLogical(x, y, kSide, kSide);
    const QRect place(static_cast<int>(std::lround(logical.x())), static_cast<int>(std::lround(logical.y())),
                      static_cast<int>(std::ceil(logical.width())), static_cast<int>(std::ceil(logical.height())));
    if (host->geometry() != place)
        host->setGeometry(place);
    if (!m_bVisible) {
        host->show();
        host->raise();
        m_bVisible = true;
    }
}

void CPostilPencilUI::Collapse()
{
    if (QWidget* host = GetWidget())
        host->hide();
    m_bVisible = false;
}
