#include "CContainerUI.h"

#include <QChildEvent>
#include <algorithm>

#include "SkinValues.h"

CContainerUI::CContainerUI(QWidget* parent) : CControlUI(parent) {}

const char* CContainerUI::GetClass() const { return "ContainerUI"; }

CControlUI* CContainerUI::GetItemAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_items[static_cast<size_t>(index)];
}

int CContainerUI::GetItemIndex(CControlUI* control) const
{
    const auto it = std::find(m_items.begin(), m_items.end(), control);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index)
{
    if (control == nullptr || control == this || GetItemIndex(control) >= 0)
        return false;
    index = std::clamp(index, 0, GetCount());
    control->setParent(this);
    m_items.insert(m_items.begin() + index, control);
    if (m_pManager)
        control->SetManager(m_pManager);
    // Reparenting hides a widget; bring back what the control itself wants.
    control->setVisible(control->IsVisible());
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control)
{
    const int index = GetItemIndex(control);
    if (index < 0)
        return false;
    m_items.erase(m_items.begin() + index);
    // Deferred: the control may be the sender of the notification being handled.
    control->hide();
    control->setParent(nullptr);
    control->deleteLater();
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll()
{
    while (!m_items.empty())
        Remove(m_items.back());
}

void CContainerUI::SetInset(RECT rc)
{
    m_rcInset = rc;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding)
{
    m_iChildPadding = std::max(0, padding);
    NeedUpdate();
}

void CContainerUI::NeedUpdate() { DoLayout(); }

bool CContainerUI::OnAttribute(const std::string& name, const std::string& value)
{
    RECT rc{};
    int number = 0;
    if (name == "inset") {
        if (skin::ParseRect(value, rc))
            SetInset(rc);
    } else if (name == "childpadding") {
        if (skin::ParseInt(value, number))
            SetChildPadding(number);
    } else {
        return CControlUI::OnAttribute(name, value);
    }
    return true;
}

void CContainerUI::resizeEvent(QResizeEvent* event)
{
    CControlUI::resizeEvent(event);
    DoLayout();
}

void CContainerUI::childEvent(QChildEvent* event)
{
    // A child deleted or reparented behind our back must leave the layout.
    if (event->type() == QEvent::ChildRemoved) {
        const auto it = std::find(m_items.begin(), m_items.end(), event->child());
        if (it != m_items.end())
            m_items.erase(it);
    }
    CControlUI::childEvent(event);
}

void CContainerUI::DoLayout()
{
    for (CControlUI* child : m_items) {
        if (!child->IsFloat())
            continue;
        const RECT f = child->GetFloatPos();
        const int w = child->GetFixedWidth() > 0 ? child->GetFixedWidth() : static_cast<int>(std::max(0L, f.right - f.left));
        const int h = child->GetFixedHeight() > 0 ? child->GetFixedHeight() : static_cast<int>(std::max(0L, f.bottom - f.top));
        child->Place(QRect(f.left, f.top, w, h));
    }
    const QRect area = rect().adjusted(m_rcInset.left, m_rcInset.top, -m_rcInset.right, -m_rcInset.bottom);
    LayoutChildren(area);
}

void CContainerUI::LayoutChildren(const QRect& area)
{
    for (CControlUI* child : FlowChildren())
        child->Place(FitChild(child, area));
}

QRect CContainerUI::FitChild(const CControlUI* child, const QRect& cell)
{
    const RECT p = child->GetPadding();
    QRect r(cell.left() + p.left, cell.top() + p.top, std::max(0L, cell.width() - p.left - p.right),
            std::max(0L, cell.height() - p.top - p.bottom));
    if (child->GetFixedWidth() > 0)
        r.setWidth(child->GetFixedWidth());
    if (child->GetFixedHeight() > 0)
        r.setHeight(child->GetFixedHeight());
    return r;
}

std::vector<CControlUI*> CContainerUI::FlowChildren() const
{
    std::vector<CControlUI*> out;
    for (CControlUI* child : m_items)
        if (child->IsVisible() && !child->IsFloat())
            out.push_back(child);
    return out;
}
