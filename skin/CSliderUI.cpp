#include "CSliderUI.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "SkinValues.h"
#include "TNotifyUI.h"

CSliderUI::CSliderUI(QWidget* parent) : CProgressUI(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::ClickFocus);
}

const char* CSliderUI::GetClass() const { return "SliderUI"; }

void CSliderUI::SetThumbSize(SIZE size)
{
    m_szThumb = SIZE{std::max(0L, size.cx), std::max(0L, size.cy)};
    update();
}

void CSliderUI::SetThumbImage(const CDuiString& image)
{
    m_sThumbImage = image;
    update();
}

void CSliderUI::SetThumbHotImage(const CDuiString& image)
{
    m_sThumbHotImage = image;
    update();
}

void CSliderUI::SetThumbPushedImage(const CDuiString& image)
{
    m_sThumbPushedImage = image;
    update();
}

void CSliderUI::SetChangeStep(int step) { m_nStep = std::max(1, step); }

QRect CSliderUI::GetThumbRect() const
{
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    const double part = range > 0 ? static_cast<double>(static_cast<long long>(m_nValue) - m_nMin) / static_cast<double>(range) : 0.0;
    const int tw = static_cast<int>(m_szThumb.cx);
    const int th = static_cast<int>(m_szThumb.cy);
    if (m_bHorizontal) {
        const int left = static_cast<int>((width() - tw) * part + 0.5);
        return QRect(left, (height() - th) / 2, tw, th);
    }
    const int top = static_cast<int>((height() - th) * (1.0 - part) + 0.5);
    return QRect((width() - tw) / 2, top, tw, th);
}

int CSliderUI::ValueAt(const QPoint& pos) const
{
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    double part = 0.0;
    if (m_bHorizontal) {
        const int track = width() - static_cast<int>(m_szThumb.cx);
        part = track > 0 ? static_cast<double>(pos.x() - m_szThumb.cx / 2) / track : 0.0;
    } else {
        const int track = height() - static_cast<int>(m_szThumb.cy);
        part = track > 0 ? 1.0 - static_cast<double>(pos.y() - m_szThumb.cy / 2) / track : 0.0;
    }
    part = std::clamp(part, 0.0, 1.0);
    long long value = m_nMin + static_cast<long long>(part * static_cast<double>(range) + 0.5);
    if (m_nStep > 1)
        value = m_nMin + (value - m_nMin + m_nStep / 2) / m_nStep * m_nStep;
    return static_cast<int>(std::clamp<long long>(value, m_nMin, m_nMax));
}

bool CSliderUI::OnAttribute(const std::string& name, const std::string& value)
{
    SIZE size{};
    int number = 0;
    if (name == "thumbsize") {
        if (skin::ParseSize(value, size))
            SetThumbSize(size);
    } else if (name == "thumbimage") {
        SetThumbImage(value);
    } else if (name == "thumbhotimage") {
        SetThumbHotImage(value);
    } else if (name == "thumbpushedimage") {
        SetThumbPushedImage(value);
    } else if (name == "step") {
        if (skin::ParseInt(value, number))
            SetChangeStep(number);
    } else if (name == "sendmove") {
        // Moves are always reported while dragging.
    } else {
        return CProgressUI::OnAttribute(name, value);
    }
    return true;
}

void CSliderUI::PaintStatusImage(QPainter& painter)
{
    CProgressUI::PaintStatusImage(painter);
    const QRect thumb = GetThumbRect();
    bool drawn = false;
    if (m_bDragging)
        drawn = DrawImage(painter, m_sThumbPushedImage, thumb);
    if (!drawn && m_bHot)
        drawn = DrawImage(painter, m_sThumbHotImage, thumb);
    if (!drawn)
        DrawImage(painter, m_sThumbImage, thumb);
}

void CSliderUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    if (GetThumbRect().contains(event->position().toPoint())) {
        m_bDragging = true;
        update();
        return;
    }
    // A click on the track jumps there and counts as a finished change.
    const int value = ValueAt(event->position().toPoint());
    if (value != m_nValue) {
        SetValue(value);
        SendNotify(DUI_MSGTYPE_VALUECHANGED);
    }
}

void CSliderUI::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_bDragging)
        return;
    const int value = ValueAt(event->position().toPoint());
    if (value != m_nValue) {
        SetValue(value);
        SendNotify(DUI_MSGTYPE_MOVEVALUECHANGED);
    }
}

void CSliderUI::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_bDragging || event->button() != Qt::LeftButton)
        return;
    SetValue(ValueAt(event->position().toPoint()));
    m_bDragging = false;
    update();
    // The end of a drag is always reported: listeners that act only on the final value
    // (and persist it) rely on it even when the moves already reached it.
    SendNotify(DUI_MSGTYPE_VALUECHANGED);
}

void CSliderUI::wheelEvent(QWheelEvent* event)
{
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    const int delta = event->angleDelta().y() > 0 ? m_nStep : (event->angleDelta().y() < 0 ? -m_nStep : 0);
    event->accept();
    if (delta == 0)
        return;
    const int before = m_nValue;
    SetValue(static_cast<int>(std::clamp<long long>(static_cast<long long>(m_nValue) + delta, m_nMin, m_nMax)));
    if (m_nValue != before)
        SendNotify(DUI_MSGTYPE_VALUECHANGED);
}
