#include "CFunctionSetPageUI.h"

#include "ConfigManager.h"
#include "KVOLog.h"
#include "SettingPageControls.h"

namespace {

constexpr const char* kStyleSection = "funset";
constexpr std::array<const char*, CFunctionSetPageUI::kSubPageCount> kButtonNames = {
    "FunSet_Searchlight_Bnt", "FunSet_DigitalLaser_Bnt", "FunSet_Zoom_Bnt",
    "FunSet_Postil_Bnt",      "FunSet_Set_Bnt",          "FunSet_Advanced_Features_Bnt"};
constexpr std::array<const char*, CFunctionSetPageUI::kSubPageCount> kButtonStyles = {
    "fun_set_FunSet_Searchlight_Bnt", "fun_set_FunSet_DigitalLaser_Bnt", "fun_set_FunSet_Zoom_Bnt",
    "fun_set_FunSet_Postil_Bnt",      "fun_set_FunSet_Set_Bnt",          "fun_set_Advanced_Features_Bnt"};
constexpr std::array<const char*, CFunctionSetPageUI::kSubPageCount> kButtonTexts = {
    "function_searchlight", "function_laser",   "function_magnify",
    "function_postil",      "function_setting", "function_advanced_feaures"};
constexpr const char* kSelectedImage = "file='button\\FunctionSet\\NormalSelect.png' corner='12,8,8,8'";
constexpr const char* kNormalImage = "file='button\\FunctionSet\\Normal.png' corner='12,8,8,8'";

} // namespace

CFunctionSetPageUI::CFunctionSetPageUI(CPaintManagerUI* manager)
    : m_pManager(manager),
      m_buttons{CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager),
                CDuilibButton(manager), CDuilibButton(manager)},
      m_demonstration(manager)
{
}

CFunctionSetPageUI::~CFunctionSetPageUI() = default;

void CFunctionSetPageUI::SetSubPage(int index, std::unique_ptr<IPageUI> page)
{
    if (index >= 0 && index < kSubPageCount)
        m_subPages[static_cast<std::size_t>(index)] = std::move(page);
}

IPageUI* CFunctionSetPageUI::GetSubPage(int index) const
{
    return index >= 0 && index < kSubPageCount ? m_subPages[static_cast<std::size_t>(index)].get() : nullptr;
}

void CFunctionSetPageUI::StyleAndShow(bool show)
{
    if (show)
        CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::CurrentPage, kPageIndex);
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i].Init(kButtonNames[i], kStyleSection, kButtonStyles[i], show);
    m_demonstration.Init("FunSet_demonstration", kStyleSection, "fun_set_FunSet_demonstration", show);
    if (!show) {
        for (const std::unique_ptr<IPageUI>& page : m_subPages) {
            if (page)
                page->StyleAndShow(false);
        }
        return;
    }
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i].SetTextFromTable("funsel", kButtonTexts[i]);
    SelectSubPage(m_nCurrentSubPage, show);
}

void CFunctionSetPageUI::SelectSubPage(int index, bool show)
{
    if (index < 0 || index >= kSubPageCount) {
        WriteLog(KVO_LOG_WARN, "CFunctionSetPageUI::SelectSubPage no sub-page %d", index);
        return;
    }
    m_nCurrentSubPage = index;
    for (const std::unique_ptr<IPageUI>& page : m_subPages) {
        if (page)
            page->StyleAndShow(false);
    }
    for (CDuilibButton& button : m_buttons) {
        if (auto* control = qobject_cast<CButtonUI*>(button.GetControl()))
            control->SetNormalImage(kNormalImage);
    }
    if (auto* tabs = m_pManager != nullptr ? m_pManager->FindControlAs<CTabLayoutUI>("FunSet_Tab") : nullptr)
        tabs->SelectItem(index);
    if (IPageUI* page = m_subPages[static_cast<std::size_t>(index)].get())
        page->StyleAndShow(show);
    if (auto* control = qobject_cast<CButtonUI*>(m_buttons[static_cast<std::size_t>(index)].GetControl()))
        control->SetNormalImage(kSelectedImage);
    PostFloatingLayerPlace(m_pManager);
}

void CFunctionSetPageUI::Notify(TNotifyUI& msg)
{
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        const std::string name = SenderName(msg);
        for (int i = 0; i < kSubPageCount; ++i) {
            if (name == kButtonNames[static_cast<std::size_t>(i)])
                SelectSubPage(i);
        }
    }
    if (IPageUI* page = GetSubPage(m_nCurrentSubPage))
        page->Notify(msg);
}

void CFunctionSetPageUI::Reset()
{
    for (const std::unique_ptr<IPageUI>& page : m_subPages) {
        if (page)
            page->Reset();
    }
}

void CFunctionSetPageUI::Refresh()
{
    if (IPageUI* page = GetSubPage(m_nCurrentSubPage))
        page->Refresh();
}
