#pragma once
// A control that holds controls. A plain container gives each child its whole client area
// (less inset and the child's padding), honouring fixed sizes; floating children sit at their
// pos relative to the container. The layouts derived from it place children in a row or a
// column.

#include <QRect>
#include <vector>

#include "CControlUI.h"

class CContainerUI : public CControlUI {
    Q_OBJECT
public:
    explicit CContainerUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    int GetCount() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;
    // The container takes the control (it becomes a Qt child); false for nullptr.
    bool Add(CControlUI* control);
    bool AddAt(CControlUI* control, int index);
    // Deletes the control.
    bool Remove(CControlUI* control);
    void RemoveAll();

    RECT GetInset() const { return m_rcInset; }
    void SetInset(RECT rc);
    int GetChildPadding() const { return m_iChildPadding; }
    void SetChildPadding(int padding);

    // Places the children again now.
    void NeedUpdate();

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    void resizeEvent(QResizeEvent* event) override;
    void OnPlaced() override { DoLayout(); }
    void childEvent(QChildEvent* event) override;
    // Places the non-floating visible children inside `area` (client area less inset).
    virtual void LayoutChildren(const QRect& area);
    // Floating children and the shared bookkeeping; calls LayoutChildren.
    void DoLayout();
    // The child's rectangle inside `cell` less its padding, honouring its fixed size.
    static QRect FitChild(const CControlUI* child, const QRect& cell);
    // Visible, non-floating children in order.
    std::vector<CControlUI*> FlowChildren() const;

    std::vector<CControlUI*> m_items;
    RECT m_rcInset{};
    int m_iChildPadding = 0;
};
