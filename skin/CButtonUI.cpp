#include "CButtonUI.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "SkinValues.h"
#include "TNotifyUI.h"

CButtonUI::CButtonUI(QWidget* parent) : CLabelUI(parent)
{
    m_align = Qt::AlignCenter;
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

const char* CButtonUI::GetClass() const { return "ButtonUI"; }

void CButtonUI::SetHotTextColor(DWORD argb)
{
    m_dwHotTextColor = argb;
    update();
}

void CButtonUI::SetPushedTextColor(DWORD argb)
{
    m_dwPushedTextColor = argb;
    update();
}

void CButtonUI::SetHotForeImage(const CDuiString& image)
{
    m_sHotForeImage = image;
    update();
}

void CButtonUI::Activate()
{
    if (!isEnabled() || !m_bVisible)
        return;
    QPointer<CButtonUI> self(this);
    OnClicked();
    if (self)
        SendNotify(DUI_MSGTYPE_CLICK);
}

bool CButtonUI::OnAttribute(const std::string& name, const std::string& value)
{
    DWORD color = 0;
    if (name == "hottextcolor") {
        if (skin::ParseColor(value, color))
            SetHotTextColor(color);
    } else if (name == "pushedtextcolor") {
        if (skin::ParseColor(value, color))
            SetPushedTextColor(color);
    } else if (name == "hotforeimage") {
        SetHotForeImage(value);
    } else if (name == "focusedimage") {
        // Keyboard focus is not drawn on skinned buttons.
    } else {
        return CLabelUI::OnAttribute(name, value);
    }
    return true;
}

void CButtonUI::PaintStatusImage(QPainter& painter)
{
    bool drawn = false;
    if (!isEnabled())
        drawn = DrawImage(painter, m_sDisabledImage);
    else if (m_bPushed)
        drawn = DrawImage(painter, m_sPushedImage) || DrawImage(painter, m_sHotImage);
    else if (m_bHot)
        drawn = DrawImage(painter, m_sHotImage);
    if (!drawn)
        DrawImage(painter, m_sNormalImage);
    if (m_bHot && isEnabled() && DrawImage(painter, m_sHotForeImage))
        return;
    DrawImage(painter, m_sForeImage);
}

DWORD CButtonUI::CurrentTextColor() const
{
    if (isEnabled()) {
        if (m_bPushed && m_dwPushedTextColor != 0)
            return m_dwPushedTextColor;
        if ((m_bHot || m_bPushed) && m_dwHotTextColor != 0)
            return m_dwHotTextColor;
    }
    return CLabelUI::CurrentTextColor();
}

void CButtonUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    SetPushed(true);
    event->accept();
}

void CButtonUI::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        SetPushed(rect().contains(event->position().toPoint()));
    event->accept();
}

void CButtonUI::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const bool clicked = m_bPushed && rect().contains(event->position().toPoint());
    SetPushed(false);
    event->accept();
    if (clicked)
        Activate();
}

void CButtonUI::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Activate();
        event->accept();
        return;
    }
    CLabelUI::keyPressEvent(event);
}
