#pragma once
// Children in a row: those with a fixed width get it, the others share what is left.
// Heights fill the row unless fixed.

#include "CContainerUI.h"

class CHorizontalLayoutUI : public CContainerUI {
    Q_OBJECT
public:
    explicit CHorizontalLayoutUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

protected:
    void LayoutChildren(const QRect& area) override;
};
