#include "CListLabelElementUI.h"

#include "SkinValues.h"

CListLabelElementUI::CListLabelElementUI(QWidget* parent) : CLabelUI(parent) {}

const char* CListLabelElementUI::GetClass() const { return "ListLabelElementUI"; }

bool CListLabelElementUI::OnAttribute(const std::string& name, const std::string& value)
{
    bool flag = false;
    if (name == "selected") {
        if (skin::ParseBool(value, flag))
            m_bSelected = flag;
        return true;
    }
    return CLabelUI::OnAttribute(name, value);
}
