#include "CTabLayoutUI.h"

#include "SkinValues.h"

CTabLayoutUI::CTabLayoutUI(QWidget* parent) : CContainerUI(parent) {}

const char* CTabLayoutUI::GetClass() const { return "TabLayoutUI"; }

bool CTabLayoutUI::SelectItem(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    m_iCurSel = index;
    NeedUpdate();
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) { return SelectItem(GetItemIndex(control)); }

bool CTabLayoutUI::OnAttribute(const std::string& name, const std::string& value)
{
    int number = 0;
    if (name == "selectedid") {
        if (skin::ParseInt(value, number)) {
            m_iCurSel = number; // children may not exist yet; checked when laying out
            NeedUpdate();
        }
        return true;
    }
    return CContainerUI::OnAttribute(name, value);
}

void CTabLayoutUI::LayoutChildren(const QRect& area)
{
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child->IsFloat())
            continue;
        const bool current = i == m_iCurSel;
        child->setVisible(current && child->IsVisible());
        if (current)
            child->Place(FitChild(child, area));
    }
}
