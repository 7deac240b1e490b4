#include "SkinBuilder.h"

#include <QWidget>
#include <functional>
#include <unordered_map>

#include "CButtonUI.h"
#include "CComboUI.h"
#include "CContainerUI.h"
#include "CEditUI.h"
#include "CHorizontalLayoutUI.h"
#include "CLabelUI.h"
#include "CListLabelElementUI.h"
#include "COptionUI.h"
#include "CPaintManagerUI.h"
#include "CProgressUI.h"
#include "CSliderUI.h"
#include "CTabLayoutUI.h"
#include "CVerticalLayoutUI.h"
#include "KVOLog.h"
#include "SkinValues.h"

namespace skin {
namespace {

template <class T>
std::unique_ptr<CControlUI> Make()
{
    return std::make_unique<T>();
}

void ReadWindowAttributes(const SkinNode& window, CPaintManagerUI& manager)
{
    SIZE size{};
    RECT rc{};
    bool flag = false;
    for (const Attribute& a : window.attributes) {
        if (a.first == "size") {
            if (ParseSize(a.second, size))
                manager.SetInitSize(SIZE{std::clamp(size.cx, 0L, 16384L), std::clamp(size.cy, 0L, 16384L)});
        } else if (a.first == "caption") {
            if (ParseRect(a.second, rc))
                manager.SetCaptionRect(rc);
        } else if (a.first == "roundcorner") {
            if (ParseSize(a.second, size))
                manager.SetRoundCorner(size);
        } else if (a.first == "bktrans") {
            if (ParseBool(a.second, flag))
                manager.SetBackgroundTransparent(flag);
        } else if (a.first == "mininfo") {
            if (ParseSize(a.second, size))
                manager.SetMinInfo(size);
        } else if (a.first == "maxinfo") {
            if (ParseSize(a.second, size))
                manager.SetMaxInfo(size);
        }
    }
}

void AddFont(const SkinNode& node, CPaintManagerUI& manager)
{
    int id = -1;
    int size = 12;
    bool bold = false, underline = false, italic = false, isDefault = false;
    const std::string* value = nullptr;
    if ((value = node.Find("id")) == nullptr || !ParseInt(*value, id))
        id = manager.GetFontCount();
    if ((value = node.Find("size")))
        ParseInt(*value, size);
    if ((value = node.Find("bold")))
        ParseBool(*value, bold);
    if ((value = node.Find("underline")))
        ParseBool(*value, underline);
    if ((value = node.Find("italic")))
        ParseBool(*value, italic);
    if ((value = node.Find("default")))
        ParseBool(*value, isDefault);
    const std::string* family = node.Find("name");
    manager.AddFont(id, family ? CDuiString(*family) : CDuiString(), size, bold, underline, italic, isDefault);
}

std::unique_ptr<CControlUI> BuildNode(const SkinNode& node, CPaintManagerUI& manager)
{
    std::unique_ptr<CControlUI> control = CreateControl(node.tag);
    if (!control) {
        WriteLog(KVO_LOG_DEBUG, "SkinBuilder::BuildNode skips unknown element <%s>", node.tag.c_str());
        return nullptr;
    }
    control->SetManager(&manager);
    const CDuiString defaults = manager.GetDefaultAttributeList(node.tag);
    if (!defaults.IsEmpty())
        control->ApplyAttributeList(defaults);
    for (const Attribute& a : node.attributes)
        control->SetAttribute(a.first, a.second);

    auto* container = dynamic_cast<CContainerUI*>(control.get());
    auto* combo = dynamic_cast<CComboUI*>(control.get());
    for (const SkinNode& childNode : node.children) {
        std::unique_ptr<CControlUI> child = BuildNode(childNode, manager);
        if (!child)
            continue;
        if (container) {
            container->Add(child.release()); // a Qt child of the container from here on
        } else if (auto* item = dynamic_cast<CListLabelElementUI*>(child.get()); combo && item) {
            (void)child.release(); // the combo's Qt child from here on
            combo->Add(item);
        } else {
            WriteLog(KVO_LOG_DEBUG, "SkinBuilder::BuildNode <%s> cannot hold <%s>", node.tag.c_str(), childNode.tag.c_str());
        }
    }
    return control;
}

} // namespace

std::unique_ptr<CControlUI> CreateControl(const std::string& tag)
{
    using Factory = std::unique_ptr<CControlUI> (*)();
    static const std::unordered_map<std::string, Factory> factories = {
        {"Control", &Make<CControlUI>},
        {"Label", &Make<CLabelUI>},
        {"Text", &Make<CTextUI>},
        {"Button", &Make<CButtonUI>},
        {"Option", &Make<COptionUI>},
        {"CheckBox", &Make<COptionUI>},
        {"Edit", &Make<CEditUI>},
        {"Progress", &Make<CProgressUI>},
        {"Slider", &Make<CSliderUI>},
        {"Combo", &Make<CComboUI>},
        {"ListLabelElement", &Make<CListLabelElementUI>},
        {"Container", &Make<CContainerUI>},
        {"VerticalLayout", &Make<CVerticalLayoutUI>},
        {"HorizontalLayout", &Make<CHorizontalLayoutUI>},
        {"TabLayout", &Make<CTabLayoutUI>},
    };
    const auto it = factories.find(tag);
    return it == factories.end() ? nullptr : it->second();
}

CControlUI* BuildSkin(const SkinDocument& doc, CPaintManagerUI& manager, QWidget* host)
{
    if (!doc.ok || host == nullptr)
        return nullptr;
    ReadWindowAttributes(doc.window, manager);
    std::unique_ptr<CControlUI> root;
    for (const SkinNode& node : doc.window.children) {
        if (node.tag == "Font") {
            AddFont(node, manager);
        } else if (node.tag == "Default") {
            const std::string* name = node.Find("name");
            const std::string* value = node.Find("value");
            if (name && value)
                manager.AddDefaultAttributeList(*name, *value);
        } else if (node.tag == "Image" || node.tag == "Include" || node.tag == "Style") {
            // Pictures load when first drawn.
        } else if (!root) {
            root = BuildNode(node, manager);
        } else {
            WriteLog(KVO_LOG_DEBUG, "SkinBuilder::BuildSkin ignores a second root <%s>", node.tag.c_str());
        }
    }
    if (!root)
        return nullptr;
    const SIZE corner = manager.GetRoundCorner();
    const SIZE own = root->GetBorderRound();
    if ((corner.cx > 0 || corner.cy > 0) && own.cx == 0 && own.cy == 0)
        root->SetBorderRound(corner);
    CControlUI* raw = root.release(); // the host widget owns it from here on
    raw->setParent(host);
    raw->Place(host->rect());
    raw->setVisible(raw->IsVisible());
    manager.AttachRoot(raw);
    return raw;
}

} // namespace skin
