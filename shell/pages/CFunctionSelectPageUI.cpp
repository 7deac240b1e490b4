#include "CFunctionSelectPageUI.h"

#include "ConfigManager.h"
#include "SettingRanges.h"
#include "ControllerSet.h"
#include "KVOLog.h"
#include "LanguageConfig.h"
#include "SettingPageControls.h"

#include <utility>

namespace {

constexpr const char* kStyleSection = "funsel_style";
constexpr const char* kTextSection = "funsel";
constexpr const char* kDefaultSelValue = "123456";
constexpr const char* kDefaultIsUsed = "111110";
constexpr int kScreenshotFunction = 6;
constexpr DWORD kNameColorOn = 0xFFFFFFFF;
constexpr DWORD kNameColorOff = 0xFF828282;

constexpr std::array<const char*, 6> kFunctionTextKeys = {"function_mouse",  "function_searchlight",
                                                          "function_laser",  "function_magnify",
                                                          "function_postil", "function_sceenshot"};
constexpr std::array<const char*, 6> kFunctionIcons = {"mouse", "searchlight", "laser",
                                                       "magnify", "postil", "screenshot"};

int DeviceMgrType()
{
    const DeviceMgr* mgr = ExistingDeviceMgr();
    return mgr != nullptr ? mgr->GetDevType() : -1;
}

std::string Name(const char* base, int row) { return std::string("SelFun_") + base + std::to_string(row); }
std::string StyleKey(const char* base, int row) { return std::string("funsel_style_") + base + std::to_string(row); }

// The six characters of a function-list string, padded with the defaults when a hand-edited file
// holds fewer.
std::string SixOf(std::string value, const char* fallback)
{
    if (value.size() < 6)
        value += std::string(fallback).substr(value.size());
    return value.substr(0, 6);
}

} // namespace

CFunctionSelectPageUI::Row::Row(CPaintManagerUI* manager)
    : bk(manager), number(manager), icon(manager), line(manager), text(manager), toolTip(manager), up(manager),
      down(manager), select(manager)
{
}

CFunctionSelectPageUI::CFunctionSelectPageUI(CPaintManagerUI* manager, Hooks hooks)
    : m_pManager(manager), m_hooks(std::move(hooks)),
      m_rows{Row(manager), Row(manager), Row(manager), Row(manager), Row(manager), Row(manager)}, m_title(manager),
      m_reset(manager), m_hotKeyLabel(manager), m_hotKeyCombo(manager)
{
    if (!m_hooks.deviceType)
        m_hooks.deviceType = DeviceMgrType;
}

void CFunctionSelectPageUI::StyleRow(int n, bool show)
{
    Row& row = m_rows[static_cast<std::size_t>(n - 1)];
    row.bk.Init(Name("bk", n), kStyleSection, StyleKey("bk", n), show);
    row.number.Init(Name("Number", n), kStyleSection, StyleKey("Number", n), show);
    row.line.Init(Name("Line", n), kStyleSection, "", show);
    row.icon.Init(Name("Icon", n), kStyleSection, "", show);
    row.text.Init(Name("Text", n), kStyleSection, StyleKey("Text", n), show);
    row.toolTip.Init(Name("ToolTip", n), kStyleSection, StyleKey("ToolTip", n), show);
    // The first position never moves: its buttons stay hidden.
    row.up.Init(Name("Up", n), kStyleSection, StyleKey("Up", n), show && n > 1);
    row.down.Init(Name("Down", n), kStyleSection, StyleKey("Down", n), show && n > 1);
    row.select.Init(Name("Select", n), kStyleSection, StyleKey("Select", n), show);
}

void CFunctionSelectPageUI::StyleAndShow(bool show)
{
    m_bShown = show;
    if (show)
        CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::CurrentPage, kPageIndex);
    for (int n = 1; n <= kRowCount; ++n)
        StyleRow(n, show);
    m_title.Init("SelFun_Title", kStyleSection, "funsel_style_Title", show);
    m_reset.Init("SelFun_Reset", kStyleSection, "funsel_style_Reset", show);
    ShowHotKey(show);
    if (!show)
        return;
    m_title.SetTextFromTable(kTextSection, "function_choose_title");
    m_reset.SetTextFromTable(kTextSection, "function_style_Reset");
    for (Row& row : m_rows) {
        if (row.up.GetControl() != nullptr)
            row.up.GetControl()->SetToolTip(CDuiString(CLanguageConfig::GetInstance().GetText(kTextSection, "function_move_up")));
        if (row.down.GetControl() != nullptr)
            row.down.GetControl()->SetToolTip(CDuiString(CLanguageConfig::GetInstance().GetText(kTextSection, "function_move_down")));
    }
    RefreshRows();
}

void CFunctionSelectPageUI::ShowHotKey(bool show)
{
    const int devType = show ? m_hooks.deviceType() : -1;
    const bool mouse = devType == 1 || devType == 2;
    m_hotKeyLabel.Init("HotKey_Setting", kStyleSection, "funsel_style_HotKey_Setting", show && mouse);
    m_hotKeyCombo.Init("HotKey_Combox", kStyleSection, "funsel_style_HotKey_Combox", show && mouse);
    if (!show || !mouse)
        return;
    m_hotKeyLabel.SetTextFromTable(kTextSection, "function_hot_key_setting");
    if (auto* combo = qobject_cast<CComboUI*>(m_hotKeyCombo.GetControl())) {
        for (int i = 0; i < kHotKeyItems && i < combo->GetCount(); ++i) {
            const std::string key = "function_hot_key_item" + std::to_string(i);
            combo->GetItemAt(i)->SetText(CDuiString(CLanguageConfig::GetInstance().GetText(kTextSection, key)));
        }
    }
    // Showing the stored choice is no choice of the user's: no event.
    m_hotKeyCombo.SelectItem(CConfigManager::GetInstance().GetInt(ConfigInt::HotKey) - kHotKeyBase, false);
}

const std::string& CFunctionSelectPageUI::FunctionName(int function)
{
    const auto index = static_cast<std::size_t>(function - 1);
    if (!m_functionNameLoaded[index]) {
        m_functionNames[index] = CLanguageConfig::GetInstance().GetText(kTextSection, kFunctionTextKeys[index]);
        m_functionNameLoaded[index] = true;
    }
    return m_functionNames[index];
}

void CFunctionSelectPageUI::ShowRow(int position, bool visible)
{
    Row& row = m_rows[static_cast<std::size_t>(position)];
    for (CDuilibControl* control : {static_cast<CDuilibControl*>(&row.bk), static_cast<CDuilibControl*>(&row.number),
                                    static_cast<CDuilibControl*>(&row.line), static_cast<CDuilibControl*>(&row.icon),
                                    static_cast<CDuilibControl*>(&row.text), static_cast<CDuilibControl*>(&row.toolTip),
                                    static_cast<CDuilibControl*>(&row.select)})
        control->SetVisible(visible);
    row.up.SetVisible(visible && position > 0);
    row.down.SetVisible(visible && position > 0);
}

void CFunctionSelectPageUI::RefreshRows()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    for (int p = 0; p < kRowCount; ++p) {
        Row& row = m_rows[static_cast<std::size_t>(p)];
        const int function = config.GetFunctionAt(p);
        const bool used = config.GetFunctionUsedAt(p) == 1;
        if (function < 1 || function > kRowCount) {
            WriteLog(KVO_LOG_WARN, "CFunctionSelectPageUI::RefreshRows no function %d at %d", function, p);
            ShowRow(p, false);
            continue;
        }
        if (!used && function == kScreenshotFunction) {
            // Screenshot is offered only where it was switched on by hand.
            ShowRow(p, false);
            continue;
        }
        if (m_bShown)
            ShowRow(p, true);
        if (CControlUI* text = row.text.GetControl())
            text->SetText(CDuiString(FunctionName(function)));
        if (auto* text = qobject_cast<CLabelUI*>(row.text.GetControl()))
            text->SetTextColor(used ? kNameColorOn : kNameColorOff);
        if (CControlUI* status = row.toolTip.GetControl())
            status->SetText(used ? CDuiString("")
                                 : CDuiString(CLanguageConfig::GetInstance().GetText(kTextSection, "function_status_unable")));
        if (CControlUI* icon = row.icon.GetControl())
            icon->SetBkImage(CDuiString(std::string("file='icon\\fun_") + kFunctionIcons[static_cast<std::size_t>(function - 1)] +
                                        (used ? "" : "_off") + ".png'"));
        ShowSwitch(row.select, used);
        for (auto [button, image] : {std::pair{&row.up, used ? "file='button\\FunctionSet\\Up3.png'"
                                                             : "file='button\\FunctionSet\\Up1.png'"},
                                     std::pair{&row.down, used ? "file='button\\FunctionSet\\Down3.png'"
                                                               : "file='button\\FunctionSet\\Down1.png'"}}) {
            if (auto* control = qobject_cast<CButtonUI*>(button->GetControl())) {
                control->SetEnabled(used);
                control->SetNormalImage(image);
            }
        }
        if (CControlUI* bk = row.bk.GetControl())
            bk->SetBkImage(used ? "file='Setting\\bk2.png' corner='12,12,12,12'"
                                : "file='Setting\\bk1.png' corner='12,12,12,12'");
    }
}

void CFunctionSelectPageUI::Notify(TNotifyUI& msg)
{
    const std::string name = SenderName(msg);
    if (msg.sType == DUI_MSGTYPE_ITEMSELECT && name == "HotKey_Combox") {
        const int item = m_hotKeyCombo.GetCurSel();
        if (item < 0)
            return;
        WriteLog(KVO_LOG_DEBUG, "CFunctionSelectPageUI::OnClick %d", item);
        CConfigManager::GetInstance().SetInt(ConfigInt::HotKey, item + kHotKeyBase, true);
        return;
    }
    if (msg.sType != DUI_MSGTYPE_CLICK)
        return;
    if (name == "SelFun_Reset") {
        ResetOrder();
        return;
    }
    // Row buttons end in their row number 1..6.
    const auto rowOf = [&](const char* prefix) -> int {
        const std::string p = std::string("SelFun_") + prefix;
        if (name.size() != p.size() + 1 || name.compare(0, p.size(), p) != 0)
            return 0;
        const char digit = name.back();
        return digit >= '1' && digit <= '6' ? digit - '0' : 0;
    };
    if (const int row = rowOf("Select"))
        Toggle(row - 1);
    else if (const int row = rowOf("Down"); row >= 2 && row <= 5)
        Swap(row - 1, row);
    else if (const int row = rowOf("Up"); row >= 3 && row <= 6)
        Swap(row - 1, row - 2);
}

void CFunctionSelectPageUI::Toggle(int position)
{
    const CConfigManager& config = CConfigManager::GetInstance();
    std::string isUsed = SixOf(config.GetText(ConfigText::IsUsed), kDefaultIsUsed);
    isUsed[static_cast<std::size_t>(position)] = isUsed[static_cast<std::size_t>(position)] == '1' ? '0' : '1';
    Save(SixOf(config.GetText(ConfigText::SelValue), kDefaultSelValue), isUsed);
}

void CFunctionSelectPageUI::Swap(int a, int b)
{
    // Position 0 (the mouse function) never moves.
    if (a <= 0 || b <= 0 || a >= kRowCount || b >= kRowCount)
        return;
    const CConfigManager& config = CConfigManager::GetInstance();
    std::string selValue = SixOf(config.GetText(ConfigText::SelValue), kDefaultSelValue);
    std::string isUsed = SixOf(config.GetText(ConfigText::IsUsed), kDefaultIsUsed);
    std::swap(selValue[static_cast<std::size_t>(a)], selValue[static_cast<std::size_t>(b)]);
    std::swap(isUsed[static_cast<std::size_t>(a)], isUsed[static_cast<std::size_t>(b)]);
    Save(selValue, isUsed);
}

void CFunctionSelectPageUI::ResetOrder() { Save(kDefaultSelValue, kDefaultIsUsed); }

void CFunctionSelectPageUI::Save(const std::string& selValue, const std::string& isUsed)
{
    CConfigManager& config = CConfigManager::GetInstance();
    config.SetText(ConfigText::SelValue, selValue, true);
    config.SetText(ConfigText::IsUsed, isUsed, true);
    RefreshRows();
    if (m_hooks.endCurrentMode)
        m_hooks.endCurrentMode();
}
