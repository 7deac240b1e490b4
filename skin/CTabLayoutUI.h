#pragma once
// Pages on top of each other: only the selected child is shown, filling the client area.

#include "CContainerUI.h"

class CTabLayoutUI : public CContainerUI {
    Q_OBJECT
public:
    explicit CTabLayoutUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    int GetCurSel() const { return m_iCurSel; }
    // False for an index outside the children.
    bool SelectItem(int index);
    bool SelectItem(CControlUI* control);

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    void LayoutChildren(const QRect& area) override;

private:
    int m_iCurSel = 0;
};
