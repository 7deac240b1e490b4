#pragma once
// Children in a column: those with a fixed height get it, the others share what is left.
// Widths fill the column unless fixed.

#include "CContainerUI.h"

class CVerticalLayoutUI : public CContainerUI {
    Q_OBJECT
public:
    explicit CVerticalLayoutUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

protected:
    void LayoutChildren(const QRect& area) override;
};
