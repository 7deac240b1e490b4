#include "CMenuWnd.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include "CPaintManagerUI.h"
#include "KVOLog.h"
#include "SkinXmlParser.h"

namespace {

void CollectItems(const skin::SkinNode& node, CMenuWnd& menu)
{
    for (const skin::SkinNode& child : node.children) {
        if (child.tag == "MenuElement") {
            const std::string* name = child.Find("name");
            const std::string* text = child.Find("text");
            const std::string* enabled = child.Find("enabled");
            menu.AddItem(name ? CDuiString(*name) : CDuiString(), text ? CDuiString(*text) : CDuiString(),
                         !(enabled && *enabled == "false"));
        } else if (child.tag == "MenuSeparator") {
            menu.AddSeparator();
        } else {
            CollectItems(child, menu);
        }
    }
}

} // namespace

CMenuWnd::CMenuWnd() = default;
CMenuWnd::~CMenuWnd() = default;

void CMenuWnd::AddItem(const CDuiString& name, const CDuiString& text, bool enabled)
{
    m_items.push_back(Item{name.str(), text.str(), enabled, false});
}

void CMenuWnd::AddSeparator() { m_items.push_back(Item{{}, {}, false, true}); }

void CMenuWnd::Clear()
{
    m_items.clear();
    m_sClicked.Empty();
}

bool CMenuWnd::LoadFromSkin(const CDuiString& skinFile)
{
    const std::string path = CPaintManagerUI::ResolveResourceFile(skinFile.str());
    const skin::SkinDocument doc = skin::ParseSkinFile(path);
    if (!doc.ok) {
        WriteLog(KVO_LOG_ERROR, "CMenuWnd::LoadFromSkin cannot load %s: %s", path.c_str(), doc.error.c_str());
        return false;
    }
    CollectItems(doc.window, *this);
    return true;
}

bool CMenuWnd::TrackPopup(POINT pt)
{
    m_sClicked.Empty();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || m_items.empty())
        return false;
    QMenu menu;
    for (const Item& item : m_items) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(item.text));
        action->setData(QString::fromStdString(item.name));
        action->setEnabled(item.enabled);
    }
    QAction* chosen = menu.exec(QPoint(static_cast<int>(pt.x), static_cast<int>(pt.y)));
    if (chosen == nullptr)
        return false;
    m_sClicked = CDuiString::FromQString(chosen->data().toString());
    return true;
}

bool CMenuWnd::Choose(const CDuiString& name)
{
    for (const Item& item : m_items) {
        if (!item.separator && item.enabled && item.name == name.str()) {
            m_sClicked = name;
            return true;
        }
    }
    return false;
}
