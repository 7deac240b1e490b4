#pragma once
// One entry of a combo box: a text (and the label look used when it is drawn in the list).

#include "CLabelUI.h"

class CListLabelElementUI : public CLabelUI {
    Q_OBJECT
public:
    explicit CListLabelElementUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    int GetIndex() const { return m_iIndex; }
    void SetIndex(int index) { m_iIndex = index; }
    bool IsSelected() const { return m_bSelected; }
    void SetSelected(bool selected) { m_bSelected = selected; }

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;

private:
    int m_iIndex = -1;
    bool m_bSelected = false;
};
