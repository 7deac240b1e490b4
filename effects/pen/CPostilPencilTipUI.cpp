#include "CPostilPencilTipUI.h"

#include "PenLayer.h"

#include "Clock.h"
#include "KVOLog.h"
#include "OverlayWindow.h"

#include <QPainterPath>
#include <QRegion>
#include <QWidget>

#include <cmath>
#include <strings.h>

CPostilPencilTipUI::CPostilPencilTipUI() : WindowImplBase("PostilPencilTipUI.xml") {}

bool CPostilPencilTipUI::Build()
{
    return BuildEffectWindow(*this, WS_POPUP,
                             WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_LAYERED,
                             kWidth, kHeight, "CPostilPencilTipUI::Build PostilPencilTipUI.xml could not be built");
}

void CPostilPencilTipUI::InitWindow()
{
    m_pImage = m_PaintManager.FindControl("Image_Label");
    if (QWidget* host = GetWidget()) {
        SetOverlayTraits(host, true);
        host->hide();
    }
    m_lastShow = platform::GetTickCount();
    SetTimer(kHideTimerId, kHideTimerMs);
}

std::string CPostilPencilTipUI::PictureFor(int colorCode)
{
    switch (colorCode) {
    case 1:
        return "file='button\\FunctionSet\\PostilLine_Red.png'";
    case 2:
        return "file='button\\FunctionSet\\PostilLine_Green.png'";
    case 3:
        return "file='button\\FunctionSet\\PostilLine_Blue.png'";
    case 4:
        return "file='button\\FunctionSet\\PostilLine.png'";
    default:
        return "";
    }
}

void CPostilPencilTipUI::ShowTip(const EffectSurface& surface, int penWidth, int colorCode, bool composited)
{
    QWidget* host = GetWidget();
    if (host == nullptr)
        return;
    const platform::ScreenRect& s = surface.physical;
    const int left = s.x + static_cast<int>(s.width * 0.5) - kWidth / 2;
    const int top = s.y + static_cast<int>(s.height * 0.5) - kHeight / 2;
    // The tip is kWidth x kHeight physical pixels, like everything the effects place.
    const QRectF area = surface.ToLogical(left, top, kWidth, kHeight);
    const QRect logical(static_cast<int>(std::lround(area.x())), static_cast<int>(std::lround(area.y())),
                        static_cast<int>(std::lround(area.width())), static_cast<int>(std::lround(area.height())));
    host->setGeometry(logical);
    if (composited) {
        host->clearMask();
    } else {
        QPainterPath outline;
        outline.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(logical.size())), 10 / surface.ratio, 10 / surface.ratio);
        host->setMask(QRegion(outline.toFillPolygon().toPolygon()));
    }
    const bool onLayer = m_pLayer != nullptr && m_pLayer->IsShown();
    if (!onLayer && !host->isVisible()) {
        host->show();
        host->raise();
    }
    m_bShown = true;
    m_nPenWidth = penWidth;
    SendMessage(WM_POSTIL_TIP_SHOW);
    if (m_pImage != nullptr) {
        const std::string picture = PictureFor(colorCode);
        if (strcasecmp(m_pImage->GetBkImage().GetData(), picture.c_str()) != 0)
            m_pImage->SetBkImage(picture);
    }
    // Above the pen's overlay layer no window shows: the window lends its picture instead.
    if (onLayer) {
        QImage tip = host->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        tip.setDevicePixelRatio(1.0);
        m_pLayer->ShowTip(tip);
        WriteLog(KVO_LOG_INFO, "CPostilPencilTipUI::ShowTip on the compositor's overlay layer");
    }
}

void CPostilPencilTipUI::Hide()
{
    if (!m_bShown)
        return;
    WriteLog(KVO_LOG_INFO, "CPostilPencilTipUI::Hide");
    if (m_pLayer != nullptr)
        m_pLayer->HideTip();
    if (QWidget* host = GetWidget())
        host->hide();
    m_bShown = false;
}

LRESULT CPostilPencilTipUI::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled)
{
    bHandled = true;
    if (uMsg == WM_POSTIL_TIP_SHOW) {
        m_lastShow = platform::GetTickCount();
        if (m_bShown && m_pImage != nullptr) {
            RECT pos = m_pImage->GetPos();
            pos.bottom = pos.top + m_nPenWidth;
            m_pImage->SetPos(pos);
        }
    } else if (uMsg == WM_TIMER && wParam == kHideTimerId) {
        if (m_bShown && platform::TicksSince(m_lastShow, platform::GetTickCount()) > kShownMs)
            Hide();
    } else {
        bHandled = false;
    }
    return 0;
}
