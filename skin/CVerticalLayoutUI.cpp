#include "CVerticalLayoutUI.h"

#include "LayoutShare.h"

CVerticalLayoutUI::CVerticalLayoutUI(QWidget* parent) : CContainerUI(parent) {}

const char* CVerticalLayoutUI::GetClass() const { return "VerticalLayoutUI"; }

void CVerticalLayoutUI::LayoutChildren(const QRect& area)
{
    const std::vector<CControlUI*> children = FlowChildren();
    std::vector<skin::LayoutItem> items;
    items.reserve(children.size());
    for (const CControlUI* c : children) {
        const RECT p = c->GetPadding();
        items.push_back(skin::LayoutItem{c->GetFixedHeight(), static_cast<int>(p.top), static_cast<int>(p.bottom)});
    }
    const std::vector<skin::LayoutSpan> spans = skin::ShareLength(items, area.top(), area.height(), m_iChildPadding);
    for (size_t i = 0; i < children.size(); ++i) {
        const RECT p = children[i]->GetPadding();
        // A cell that, less the child's padding, is exactly its span.
        const QRect cell(area.left(), spans[i].start - p.top, area.width(), spans[i].length + p.top + p.bottom);
        QRect r = FitChild(children[i], cell);
        r.setHeight(spans[i].length);
        children[i]->Place(r);
    }
}
