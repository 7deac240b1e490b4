#pragma once
// A drop-down choice: shows the selected entry's text; a click opens the list; choosing an entry
// sends "itemselect" (wParam = new index, lParam = previous index).

#include <vector>

#include "CLabelUI.h"

class CListLabelElementUI;

class CComboUI : public CLabelUI {
    Q_OBJECT
public:
    explicit CComboUI(QWidget* parent = nullptr);
    ~CComboUI() override;
    const char* GetClass() const override;

    // The combo takes the entry (Qt ownership); false for nullptr.
    bool Add(CListLabelElementUI* item);
    // Convenience: a new entry with this text; returns it.
    CListLabelElementUI* AddString(const CDuiString& text);
    bool RemoveAt(int index);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CListLabelElementUI* GetItemAt(int index) const;

    int GetCurSel() const { return m_iCurSel; }
    // Out-of-range indices are refused (false). Selecting the current entry again changes nothing.
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true);
    // The selected entry's text (empty when none).
    CDuiString GetText() const override;

    // Opens the list under the control (blocks in its own loop until chosen or dismissed).
    void ShowDropDown();

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    void PaintStatusImage(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::vector<CListLabelElementUI*> m_items;
    int m_iCurSel = -1;
    CDuiString m_sItemTextColorAttr;
    bool m_bPressed = false;
};
