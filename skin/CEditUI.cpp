#include "CEditUI.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>

#include "SkinValues.h"
#include "TNotifyUI.h"

CEditUI::CEditUI(QWidget* parent) : CLabelUI(parent), m_edit(new QLineEdit(this))
{
    m_edit->setFrame(false);
    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    setCursor(Qt::IBeamCursor);
    // Only the user's edits are reported: a handler that sets the text itself must not hear
    // its own change back.
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_sText = CDuiString::FromQString(text);
        SendNotify(DUI_MSGTYPE_TEXTCHANGED);
    });
    ApplyLook();
}

const char* CEditUI::GetClass() const { return "EditUI"; }

CDuiString CEditUI::GetText() const { return CDuiString::FromQString(m_edit->text()); }

void CEditUI::SetText(const CDuiString& text)
{
    m_sText = text;
    const QString q = text.ToQString();
    if (m_edit->text() != q)
        m_edit->setText(q);
}

void CEditUI::SetEnabled(bool enabled)
{
    CLabelUI::SetEnabled(enabled);
    ApplyLook();
}

bool CEditUI::IsReadOnly() const { return m_edit->isReadOnly(); }
void CEditUI::SetReadOnly(bool readOnly) { m_edit->setReadOnly(readOnly); }
bool CEditUI::IsPasswordMode() const { return m_edit->echoMode() == QLineEdit::Password; }
void CEditUI::SetPasswordMode(bool password) { m_edit->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal); }
int CEditUI::GetMaxChar() const { return m_edit->maxLength(); }

void CEditUI::SetMaxChar(int maxChar)
{
    if (maxChar > 0)
        m_edit->setMaxLength(maxChar);
}

void CEditUI::SetSel(long start, long end)
{
    const long length = m_edit->text().size();
    start = std::clamp(start, 0L, length);
    end = end < 0 ? length : std::clamp(end, start, length);
    m_edit->setSelection(static_cast<int>(start), static_cast<int>(end - start));
}

CDuiString CEditUI::GetTipValue() const { return CDuiString::FromQString(m_edit->placeholderText()); }
void CEditUI::SetTipValue(const CDuiString& tip) { m_edit->setPlaceholderText(tip.ToQString()); }

void CEditUI::SetTipValueColor(DWORD argb)
{
    m_dwTipValueColor = argb;
    ApplyLook();
}

bool CEditUI::OnAttribute(const std::string& name, const std::string& value)
{
    bool flag = false;
    int number = 0;
    if (name == "readonly") {
        if (skin::ParseBool(value, flag))
            SetReadOnly(flag);
    } else if (name == "password") {
        if (skin::ParseBool(value, flag))
            SetPasswordMode(flag);
    } else if (name == "maxchar") {
        if (skin::ParseInt(value, number))
            SetMaxChar(number);
    } else if (name == "tipvalue") {
        SetTipValue(value);
    } else if (name == "tipvaluecolor") {
        DWORD color = 0;
        if (skin::ParseColor(value, color))
            SetTipValueColor(color);
    } else if (name == "nativebkcolor") {
        // The field is transparent over the skinned background.
    } else {
        const bool known = CLabelUI::OnAttribute(name, value);
        if (known)
            ApplyLook();
        return known;
    }
    return true;
}

bool CEditUI::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit) {
        if (event->type() == QEvent::FocusIn)
            SendNotify(DUI_MSGTYPE_SETFOCUS);
        else if (event->type() == QEvent::FocusOut)
            SendNotify(DUI_MSGTYPE_KILLFOCUS);
    }
    return CLabelUI::eventFilter(watched, event);
}

void CEditUI::resizeEvent(QResizeEvent* event)
{
    CLabelUI::resizeEvent(event);
    ApplyLook();
}

void CEditUI::showEvent(QShowEvent* event)
{
    CLabelUI::showEvent(event);
    ApplyLook(); // the window's fonts are known by now
}

void CEditUI::PaintText(QPainter&)
{
    // The line edit draws the text.
}

void CEditUI::ApplyLook()
{
    const int inset = m_nBorderSize;
    m_edit->setGeometry(rect().adjusted(inset + m_rcTextPadding.left, inset + m_rcTextPadding.top,
                                        -inset - m_rcTextPadding.right, -inset - m_rcTextPadding.bottom));
    m_edit->setFont(TextFont());
    m_edit->setAlignment(static_cast<Qt::Alignment>(m_align));
    QPalette palette = m_edit->palette();
    DWORD color = CurrentTextColor();
    if ((color >> 24) == 0)
        color |= 0xFF000000u;
    palette.setColor(QPalette::Text, QColor::fromRgba(color));
    if (m_dwTipValueColor != 0)
        palette.setColor(QPalette::PlaceholderText, QColor::fromRgba(m_dwTipValueColor | ((m_dwTipValueColor >> 24) ? 0 : 0xFF000000u)));
    // The skinned background shows through the field.
    palette.setColor(QPalette::Base, Qt::transparent);
    m_edit->setPalette(palette);
    m_edit->setAutoFillBackground(false);
}
