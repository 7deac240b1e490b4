#include "CLabelUI.h"

#include <QFontMetrics>
#include <QPainter>

#include "CPaintManagerUI.h"
#include "SkinValues.h"

namespace {

// "left", "center", "right", "top", "vcenter", "bottom" in any combination.
int ParseAlign(std::string value, int current, bool vertical)
{
    int h = current & Qt::AlignHorizontal_Mask;
    int v = current & Qt::AlignVertical_Mask;
    const auto take = [&value](const char* word) {
        const size_t pos = value.find(word);
        if (pos == std::string::npos)
            return false;
        value.erase(pos, std::char_traits<char>::length(word));
        return true;
    };
    if (take("vcenter"))
        v = Qt::AlignVCenter;
    if (take("top"))
        v = Qt::AlignTop;
    if (take("bottom"))
        v = Qt::AlignBottom;
    if (take("left"))
        h = Qt::AlignLeft;
    if (take("right"))
        h = Qt::AlignRight;
    if (take("center")) {
        if (vertical)
            v = Qt::AlignVCenter;
        else
            h = Qt::AlignHCenter;
    }
    return h | v;
}

} // namespace

CLabelUI::CLabelUI(QWidget* parent) : CControlUI(parent), m_align(Qt::AlignLeft | Qt::AlignVCenter) {}

const char* CLabelUI::GetClass() const { return "LabelUI"; }

void CLabelUI::SetTextColor(DWORD argb)
{
    m_dwTextColor = argb;
    update();
}

void CLabelUI::SetDisabledTextColor(DWORD argb)
{
    m_dwDisabledTextColor = argb;
    update();
}

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    update();
}

void CLabelUI::SetTextAlign(int qtAlignment)
{
    m_align = qtAlignment;
    update();
}

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    update();
}

void CLabelUI::SetWordBreak(bool wordBreak)
{
    m_bWordBreak = wordBreak;
    update();
}

QFont CLabelUI::TextFont() const
{
    if (m_pManager)
        return m_pManager->GetFont(m_iFont);
    QFont font;
    font.setPixelSize(12);
    return font;
}

bool CLabelUI::OnAttribute(const std::string& name, const std::string& value)
{
    DWORD color = 0;
    int number = 0;
    RECT rc{};
    bool flag = false;
    if (name == "textcolor") {
        if (skin::ParseColor(value, color))
            SetTextColor(color);
    } else if (name == "disabledtextcolor") {
        if (skin::ParseColor(value, color))
            SetDisabledTextColor(color);
    } else if (name == "font") {
        if (skin::ParseInt(value, number))
            SetFont(number);
    } else if (name == "align") {
        SetTextAlign(ParseAlign(value, m_align, false));
    } else if (name == "valign") {
        SetTextAlign(ParseAlign(value, m_align, true));
    } else if (name == "textpadding") {
        if (skin::ParseRect(value, rc))
            SetTextPadding(rc);
    } else if (name == "wordbreak" || name == "multiline") {
        if (skin::ParseBool(value, flag))
            SetWordBreak(flag);
    } else if (name == "showhtml" || name == "endellipsis" || name == "autocalcwidth") {
        // Plain text only; accepted so that skins using them stay quiet.
    } else {
        return CControlUI::OnAttribute(name, value);
    }
    return true;
}

bool CLabelUI::IsTextClipped() const
{
    const QString text = GetText().ToQString();
    if (text.isEmpty())
        return false;
    const QRect area = rect().adjusted(m_rcTextPadding.left, m_rcTextPadding.top, -m_rcTextPadding.right,
                                       -m_rcTextPadding.bottom);
    const QFontMetrics metrics(TextFont());
    if (!m_bWordBreak)
        return metrics.horizontalAdvance(text) > area.width();
    const QRect needed = metrics.boundingRect(area, m_align | Qt::TextWordWrap, text);
    return needed.width() > area.width() || needed.height() > area.height();
}

DWORD CLabelUI::CurrentTextColor() const
{
    if (!isEnabled() && m_dwDisabledTextColor != 0)
        return m_dwDisabledTextColor;
    return m_dwTextColor;
}

void CLabelUI::PaintText(QPainter& painter)
{
    const CDuiString text = GetText();
    if (text.IsEmpty())
        return;
    DrawTextIn(painter, rect(), CurrentTextColor(), text);
}

void CLabelUI::DrawTextIn(QPainter& painter, const QRect& area, DWORD color, const CDuiString& text)
{
    const QRect r = area.adjusted(m_rcTextPadding.left, m_rcTextPadding.top, -m_rcTextPadding.right,
                                  -m_rcTextPadding.bottom);
    if (!r.isValid())
        return;
    // Text colours are given without alpha as often as with it; a zero alpha means opaque.
    if ((color >> 24) == 0)
        color |= 0xFF000000u;
    painter.setPen(QColor::fromRgba(color));
    painter.setFont(TextFont());
    const int flags = m_align | (m_bWordBreak ? Qt::TextWordWrap : Qt::TextSingleLine);
    painter.drawText(r, flags, text.ToQString());
}

CTextUI::CTextUI(QWidget* parent) : CLabelUI(parent)
{
    m_bWordBreak = true;
    m_align = Qt::AlignLeft | Qt::AlignTop;
}

const char* CTextUI::GetClass() const { return "TextUI"; }
