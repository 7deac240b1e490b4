#pragma once
// A check or radio button: a click flips its state ("selectchanged"); options sharing a group
// name in one window are exclusive.

#include "CButtonUI.h"

class COptionUI : public CButtonUI {
    Q_OBJECT
public:
    explicit COptionUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    bool IsSelected() const { return m_bSelected; }
    // Sends "selectchanged" when the state changes and `sendNotify` is true.
    void Selected(bool selected, bool sendNotify = true);
    CDuiString GetGroup() const { return m_sGroup; }
    void SetGroup(const CDuiString& group) { m_sGroup = group; }
    CDuiString GetSelectedImage() const { return m_sSelectedImage; }
    void SetSelectedImage(const CDuiString& image);
    void SetSelectedHotImage(const CDuiString& image);
    void SetSelectedTextColor(DWORD argb);

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    void PaintStatusImage(QPainter& painter) override;
    DWORD CurrentTextColor() const override;
    void OnClicked() override;

    bool m_bSelected = false;
    CDuiString m_sGroup;
    CDuiString m_sSelectedImage;
    CDuiString m_sSelectedHotImage;
    DWORD m_dwSelectedTextColor = 0;
};
