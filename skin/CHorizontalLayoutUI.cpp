#include "CHorizontalLayoutUI.h"

#include "LayoutShare.h"

CHorizontalLayoutUI::CHorizontalLayoutUI(QWidget* parent) : CContainerUI(parent) {}

const char* CHorizontalLayoutUI::GetClass() const { return "HorizontalLayoutUI"; }

void CHorizontalLayoutUI::LayoutChildren(const QRect& area)
{
    const std::vector<CControlUI*> children = FlowChildren();
    std::vector<skin::LayoutItem> items;
    items.reserve(children.size());
    for (const CControlUI* c : children) {
        const RECT p = c->GetPadding();
        items.push_back(skin::LayoutItem{c->GetFixedWidth(), static_cast<int>(p.left), static_cast<int>(p.right)});
    }
    const std::vector<skin::LayoutSpan> spans = skin::ShareLength(items, area.left(), area.width(), m_iChildPadding);
    for (size_t i = 0; i < children.size(); ++i) {
        const RECT p = children[i]->GetPadding();
        const QRect cell(spans[i].start - p.left, area.top(), spans[i].length + p.left + p.right, area.height());
        QRect r = FitChild(children[i], cell);
        r.setWidth(spans[i].length);
        children[i]->Place(r);
    }
}
