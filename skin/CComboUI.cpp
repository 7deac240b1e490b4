#include "CComboUI.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <memory>

#include "CListLabelElementUI.h"
#include "SkinValues.h"
#include "TNotifyUI.h"

CComboUI::CComboUI(QWidget* parent) : CLabelUI(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

CComboUI::~CComboUI() = default;

const char* CComboUI::GetClass() const { return "ComboUI"; }

bool CComboUI::Add(CListLabelElementUI* item)
{
    if (item == nullptr)
        return false;
    // Entries are not drawn inside the combo; they live as hidden children so that they are
    // found by name like every other control.
    item->setParent(this);
    item->hide();
    item->SetManager(m_pManager);
    item->SetIndex(GetCount());
    m_items.push_back(item);
    if (item->IsSelected() && m_iCurSel < 0)
        SelectItem(item->GetIndex(), false, false);
    update();
    return true;
}

CListLabelElementUI* CComboUI::AddString(const CDuiString& text)
{
    auto item = std::make_unique<CListLabelElementUI>();
    item->SetText(text);
    CListLabelElementUI* raw = item.release(); // the combo's QObject child from here on
    Add(raw);
    return raw;
}

bool CComboUI::RemoveAt(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    CListLabelElementUI* item = m_items[static_cast<size_t>(index)];
    m_items.erase(m_items.begin() + index);
    item->setParent(nullptr);
    item->deleteLater();
    for (int i = 0; i < GetCount(); ++i)
        m_items[static_cast<size_t>(i)]->SetIndex(i);
    if (m_iCurSel == index)
        m_iCurSel = -1;
    else if (m_iCurSel > index)
        --m_iCurSel;
    update();
    return true;
}

void CComboUI::RemoveAll()
{
    while (!m_items.empty())
        RemoveAt(GetCount() - 1);
}

CListLabelElementUI* CComboUI::GetItemAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_items[static_cast<size_t>(index)];
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent)
{
    if (index < 0 || index >= GetCount())
        return false;
    if (index == m_iCurSel)
        return true;
    const int previous = m_iCurSel;
    if (CListLabelElementUI* old = GetItemAt(previous))
        old->SetSelected(false);
    m_iCurSel = index;
    m_items[static_cast<size_t>(index)]->SetSelected(true);
    if (takeFocus)
        SetFocus();
    update();
    if (triggerEvent)
        SendNotify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), static_cast<LPARAM>(previous));
    return true;
}

CDuiString CComboUI::GetText() const
{
    const CListLabelElementUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : CDuiString();
}

void CComboUI::ShowDropDown()
{
    if (m_items.empty() || !isEnabled())
        return;
    QMenu menu(this);
    menu.setFont(TextFont());
    menu.setMinimumWidth(width());
    for (int i = 0; i < GetCount(); ++i) {
        QAction* action = menu.addAction(m_items[static_cast<size_t>(i)]->GetText().ToQString());
        action->setData(i);
        action->setCheckable(true);
        action->setChecked(i == m_iCurSel);
    }
    QPointer<CComboUI> self(this);
    QAction* chosen = menu.exec(mapToGlobal(QPoint(0, height())));
    if (self && chosen)
        SelectItem(chosen->data().toInt(), true, true);
}

bool CComboUI::OnAttribute(const std::string& name, const std::string& value)
{
    if (name == "dropbox" || name == "itemfont" || name == "itemtextcolor" || name == "itemselectedbkcolor" ||
        name == "itemhotbkcolor" || name == "itemalign" || name == "vscrollbar")
        return true; // the list is drawn with the platform's menu look
    return CLabelUI::OnAttribute(name, value);
}

void CComboUI::PaintStatusImage(QPainter& painter)
{
    bool drawn = false;
    if (!isEnabled())
        drawn = DrawImage(painter, m_sDisabledImage);
    else if (m_bPressed)
        drawn = DrawImage(painter, m_sPushedImage);
    else if (m_bHot)
        drawn = DrawImage(painter, m_sHotImage);
    if (!drawn)
        DrawImage(painter, m_sNormalImage);
    DrawImage(painter, m_sForeImage);
}

void CComboUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    m_bPressed = true;
    update();
    event->accept();
}

void CComboUI::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_bPressed)
        return;
    m_bPressed = false;
    update();
    if (rect().contains(event->position().toPoint()))
        ShowDropDown();
}
