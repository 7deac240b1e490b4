#include "CProgressUI.h"

#include <QPainter>
#include <algorithm>

#include "SkinValues.h"

CProgressUI::CProgressUI(QWidget* parent) : CLabelUI(parent) { m_align = Qt::AlignCenter; }

const char* CProgressUI::GetClass() const { return "ProgressUI"; }

void CProgressUI::SetHorizontal(bool horizontal)
{
    m_bHorizontal = horizontal;
    update();
}

void CProgressUI::SetMinValue(int min)
{
    m_nMin = min;
    if (m_nMax < m_nMin)
        m_nMax = m_nMin;
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    update();
}

void CProgressUI::SetMaxValue(int max)
{
    m_nMax = max;
    if (m_nMin > m_nMax)
        m_nMin = m_nMax;
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    update();
}

void CProgressUI::SetValue(int value)
{
    m_nValue = std::clamp(value, m_nMin, m_nMax);
    update();
}

void CProgressUI::SetForeColor(DWORD argb)
{
    m_dwForeColor = argb;
    update();
}

bool CProgressUI::OnAttribute(const std::string& name, const std::string& value)
{
    int number = 0;
    bool flag = false;
    DWORD color = 0;
    if (name == "min") {
        if (skin::ParseInt(value, number))
            SetMinValue(number);
    } else if (name == "max") {
        if (skin::ParseInt(value, number))
            SetMaxValue(number);
    } else if (name == "value") {
        if (skin::ParseInt(value, number))
            SetValue(number);
    } else if (name == "hor") {
        if (skin::ParseBool(value, flag))
            SetHorizontal(flag);
    } else if (name == "forecolor") {
        if (skin::ParseColor(value, color))
            SetForeColor(color);
    } else if (name == "isstretchfore") {
        // The fore image is always clipped, never stretched.
    } else {
        return CLabelUI::OnAttribute(name, value);
    }
    return true;
}

QRect CProgressUI::ValueRect() const
{
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    const double part = range > 0 ? static_cast<double>(static_cast<long long>(m_nValue) - m_nMin) / static_cast<double>(range) : 0.0;
    QRect r = rect();
    if (m_bHorizontal) {
        r.setWidth(static_cast<int>(r.width() * part + 0.5));
    } else {
        // Vertical bars fill from the bottom up.
        const int h = static_cast<int>(r.height() * part + 0.5);
        r.setTop(r.bottom() + 1 - h);
    }
    return r;
}

void CProgressUI::PaintStatusImage(QPainter& painter)
{
    DrawImage(painter, m_sNormalImage);
    const QRect part = ValueRect();
    if (part.isEmpty())
        return;
    painter.save();
    painter.setClipRect(part, Qt::IntersectClip);
    if ((m_dwForeColor >> 24) != 0)
        painter.fillRect(part, QColor::fromRgba(m_dwForeColor));
    // The fore image is laid out over the whole bar and shows only where the value reaches.
    DrawImage(painter, m_sForeImage);
    painter.restore();
}
