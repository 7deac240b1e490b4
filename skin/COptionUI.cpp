#include "COptionUI.h"

#include <QPainter>

#include "CPaintManagerUI.h"
#include "SkinValues.h"
#include "TNotifyUI.h"

COptionUI::COptionUI(QWidget* parent) : CButtonUI(parent) {}

const char* COptionUI::GetClass() const { return "OptionUI"; }

void COptionUI::Selected(bool selected, bool sendNotify)
{
    if (m_bSelected == selected)
        return;
    m_bSelected = selected;
    if (selected && !m_sGroup.IsEmpty()) {
        // Only one option of a group is selected in a window.
        QWidget* scope = m_pManager && m_pManager->GetRoot() ? static_cast<QWidget*>(m_pManager->GetRoot()) : window();
        for (COptionUI* other : scope->findChildren<COptionUI*>()) {
            if (other != this && other->m_sGroup == m_sGroup && other->m_bSelected)
                other->Selected(false, sendNotify);
        }
    }
    update();
    if (sendNotify)
        SendNotify(DUI_MSGTYPE_SELECTCHANGED);
}

void COptionUI::SetSelectedImage(const CDuiString& image)
{
    m_sSelectedImage = image;
    update();
}

void COptionUI::SetSelectedHotImage(const CDuiString& image)
{
    m_sSelectedHotImage = image;
    update();
}

void COptionUI::SetSelectedTextColor(DWORD argb)
{
    m_dwSelectedTextColor = argb;
    update();
}

bool COptionUI::OnAttribute(const std::string& name, const std::string& value)
{
    DWORD color = 0;
    bool flag = false;
    if (name == "selected") {
        if (skin::ParseBool(value, flag))
            Selected(flag, false);
    } else if (name == "group") {
        SetGroup(value);
    } else if (name == "selectedimage") {
        SetSelectedImage(value);
    } else if (name == "selectedhotimage") {
        SetSelectedHotImage(value);
    } else if (name == "selectedtextcolor") {
        if (skin::ParseColor(value, color))
            SetSelectedTextColor(color);
    } else {
        return CButtonUI::OnAttribute(name, value);
    }
    return true;
}

void COptionUI::PaintStatusImage(QPainter& painter)
{
    if (m_bSelected) {
        if ((m_bHot && isEnabled() && DrawImage(painter, m_sSelectedHotImage)) || DrawImage(painter, m_sSelectedImage)) {
            DrawImage(painter, m_sForeImage);
            return;
        }
    }
    CButtonUI::PaintStatusImage(painter);
}

DWORD COptionUI::CurrentTextColor() const
{
    if (m_bSelected && isEnabled() && m_dwSelectedTextColor != 0)
        return m_dwSelectedTextColor;
    return CButtonUI::CurrentTextColor();
}

void COptionUI::OnClicked()
{
    // A grouped option stays selected when clicked again; a lone one toggles.
    if (m_sGroup.IsEmpty())
        Selected(!m_bSelected);
    else if (!m_bSelected)
        Selected(true);
}
