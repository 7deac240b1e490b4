#include "CAdvancedFeaturesUI.h"

#include "CCustomKeyFunctions.h"
#include "ConfigManager.h"
#include "SettingRanges.h"
#include "KVOLog.h"
#include "KeyNames.h"
#include "LanguageConfig.h"
#include "UiThread.h"

#include <cstring>
#include <utility>

namespace {

constexpr const char* kStyleSection = "funset_advanced_features_style";
constexpr const char* kTextSection = "funset";
constexpr const char* kSelectImage = "file='button\\Select.png'";
constexpr const char* kSelectNotImage = "file='button\\SelectNot.png'";
constexpr const char* kSlotSelectedImage = "file='button\\seg_sel.png' corner='7,7,7,7'";
constexpr const char* kSlotNormalImage = "file='button\\seg_n.png' corner='7,7,7,7'";
constexpr DWORD kSlotSelectedText = 0xFFFFFFFF;
constexpr DWORD kSlotNormalText = 0xFFE8ECF4;

std::string StyleKey(const std::string& control) { return std::string(kStyleSection) + "_" + control; }
std::string FunName(int fun, const char* suffix) { return "FunSet_Advanced_Features_Fun" + std::to_string(fun) + suffix; }

// The text of radio button `fun` (1..11) for a slot: the mouse slot offers other actions on 3 to 5.
std::string TextKeyOf(int fun, int slot)
{
    if (slot == kSlotMouse) {
        if (fun == 3)
            return "fun_set_advanced_features_ppt_full_screen";
        if (fun == 4)
            return "fun_set_advanced_features_sound_off";
        if (fun == 5)
            return "fun_set_advanced_features_video_play_pause";
    }
    return "fun_set_advanced_features_fun" + std::to_string(fun);
}

} // namespace

// Shared with the recorder's text sink; `page` is cleared (on the UI thread) when the page goes.
struct CAdvancedFeaturesUI::Link {
    CAdvancedFeaturesUI* page = nullptr;
};

CAdvancedFeaturesUI::CAdvancedFeaturesUI(CPaintManagerUI* manager, HWND mainWnd, CCustomKeyFunctions* customKeys,
                                         CBlankScreenSetting::PickFile pickPicture)
    : m_hMainWnd(mainWnd), m_pCustomKeys(customKeys), m_pickPicture(std::move(pickPicture)),
      m_link(std::make_shared<Link>()), m_presenterSlot(manager), m_mouseSlot(manager), m_title1(manager),
      m_title3(manager), m_radios(MakeWrappers<CDuilibButton, kFunctionCount>(manager)),
      m_texts(MakeWrappers<CDuilibLabel, kFunctionCount>(manager)),
      m_lines(MakeWrappers<CDuilibLabel, kFunctionCount>(manager)), m_blankSetting(manager), m_webPage(manager),
      m_customButton(manager)
{
    m_link->page = this;
    if (m_pCustomKeys == nullptr)
        return;
    // The recorder runs on the keyboard hook's thread: its text is handed to the UI thread, and
    // dropped there when the page has gone meanwhile.
    std::weak_ptr<Link> weak = m_link;
    m_pCustomKeys->SetShortcutTextSink([weak](const std::string& text) {
        CallOnUiThread(
            [weak, text] {
                if (const std::shared_ptr<Link> link = weak.lock(); link && link->page != nullptr)
                    link->page->ShowShortcut(text);
            },
            false);
    });
}

CAdvancedFeaturesUI::~CAdvancedFeaturesUI()
{
    StopRecording();
    m_link->page = nullptr;
    if (m_pCustomKeys != nullptr)
        m_pCustomKeys->SetShortcutTextSink({});
}

int CAdvancedFeaturesUI::ActionOf(int fun, int slot)
{
    if (slot == kSlotMouse && fun >= 3 && fun <= 5)
        return fun + 8;  // 11 slide show, 12 mute, 13 play/pause
    return fun - 1;
}

bool CAdvancedFeaturesUI::IsAcceptedWebAddress(const std::string& text) { return ::IsAcceptedWebAddress(text); }

void CAdvancedFeaturesUI::StyleAndShow(bool show)
{
    m_bShown = show;
    if (!show)
        StopRecording();
    auto init = [show](CDuilibControl& control, const std::string& name) { control.Init(name, kStyleSection, StyleKey(name), show); };
    init(m_presenterSlot, "FunSet_Advanced_Segment_Presenter");
    init(m_mouseSlot, "FunSet_Advanced_Segment_Mouse");
    init(m_title1, "FunSet_Advanced_Features_Title1");
    init(m_title3, "FunSet_Advanced_Features_Title3");
    for (int fun = 1; fun <= kFunctionCount; ++fun) {
        init(m_radios[fun - 1], FunName(fun, "_Radio"));
        init(m_texts[fun - 1], FunName(fun, ""));
        init(m_lines[fun - 1], FunName(fun, "_Line"));
    }
    init(m_blankSetting, "FunSet_Advanced_Features_Fun2_Setting");
    init(m_webPage, "FunSet_Advanced_Features_Web_Page");
    init(m_customButton, "FunSet_Advanced_Features_Custom_Button");
    if (!show)
        return;
    m_presenterSlot.SetTextFromTable("funsel", "app_name");
    m_mouseSlot.SetTextFromTable("funsel", "app_name_mouse");
    m_title3.SetTextFromTable(kTextSection, "fun_set_advanced_features_title3");
    m_blankSetting.SetTextFromTable(kTextSection, "funSet_advanced_features_fun2_Setting");
    if (auto* edit = qobject_cast<CEditUI*>(m_webPage.GetControl()))
        edit->SetTipValue(CDuiString(CLanguageConfig::GetInstance().GetText(kTextSection, "fun_set_advanced_features_fun9_TipValue")));
    Refresh();
}

void CAdvancedFeaturesUI::Refresh()
{
    if (!m_bShown)
        return;
    if (m_pCustomKeys != nullptr)
        m_pCustomKeys->SetRecordingSlot(m_slot);
    const bool mouse = m_slot == kSlotMouse;
    m_presenterSlot.SetNormalImageAndTextColors(mouse ? kSlotNormalImage : kSlotSelectedImage,
                                                mouse ? kSlotNormalText : kSlotSelectedText, kSlotSelectedText);
    m_mouseSlot.SetNormalImageAndTextColors(mouse ? kSlotSelectedImage : kSlotNormalImage,
                                            mouse ? kSlotSelectedText : kSlotNormalText, kSlotSelectedText);
    m_title1.SetTextFromTable(kTextSection,
                              mouse ? "fun_set_advanced_features_title1_mouse" : "fun_set_advanced_features_title1", true);
    const CConfigManager& config = CConfigManager::GetInstance();
    const int action = config.GetSlotInt(ConfigSlotInt::Key, m_slot);
    for (int fun = 1; fun <= kFunctionCount; ++fun) {
        const std::string image = ActionOf(fun, m_slot) == action ? kSelectImage : kSelectNotImage;
        if (CControlUI* radio = m_radios[fun - 1].GetControl()) {
            radio->SetNormalImage(CDuiString(image));
            radio->SetHotImage(CDuiString(image));
        }
        m_texts[fun - 1].SetTextFromTable(kTextSection, TextKeyOf(fun, m_slot), true);
    }
    m_webPage.SetText(config.GetSlotText(ConfigSlotText::WebUrl, m_slot));
    ShowShortcut(ShortcutText(config.GetSlotInt(ConfigSlotInt::KeybordValue1, m_slot),
                              config.GetSlotInt(ConfigSlotInt::KeybordValue2, m_slot)));
}

void CAdvancedFeaturesUI::ShowShortcut(const std::string& text)
{
    CControlUI* button = m_customButton.GetControl();
    if (button == nullptr)
        return;
    if (text.empty())
        m_customButton.SetTextFromTable(kTextSection, "fun_set_advanced_features_fun10_TipValue", true);
    else
        button->SetText(CDuiString(text));
}

std::string CAdvancedFeaturesUI::GetShortcutText() const
{
    const CControlUI* button = m_customButton.GetControl();
    return button != nullptr ? button->GetText().str() : std::string();
}

void CAdvancedFeaturesUI::SelectSlot(int slot)
{
    StopRecording();
    m_slot = slot == kSlotPresenter ? kSlotPresenter : kSlotMouse;
    Refresh();
}

void CAdvancedFeaturesUI::StopRecording()
{
    if (!m_bRecording)
        return;
    m_bRecording = false;
    CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::RecordingShortcut, 0);
}

void CAdvancedFeaturesUI::ToggleRecording()
{
    if (m_bRecording) {
        StopRecording();
        return;
    }
    // Only the shortcut action records: asking for a shortcut chooses it.
    CConfigManager& config = CConfigManager::GetInstance();
    if (config.GetSlotInt(ConfigSlotInt::Key, m_slot) != KVO_CUSTOM_KEYBORD) {
        config.SetSlotInt(ConfigSlotInt::Key, m_slot, KVO_CUSTOM_KEYBORD, true);
        Refresh();
    }
    if (m_pCustomKeys != nullptr)
        m_pCustomKeys->SetRecordingSlot(m_slot);
    m_bRecording = true;
    config.SetRuntime(CConfigManager::Runtime::RecordingShortcut, 1);
    WriteLog(KVO_LOG_INFO, "CAdvancedFeaturesUI::ToggleRecording slot:%d waits for the shortcut", m_slot);
}

void CAdvancedFeaturesUI::OnWebAddress()
{
    const std::string text = m_webPage.GetText();
    if (!IsAcceptedWebAddress(text)) {
        WriteLog(KVO_LOG_WARN, "CAdvancedFeaturesUI::OnWebAddress rejected, not stored");
        return;
    }
    CConfigManager& config = CConfigManager::GetInstance();
    if (config.GetSlotText(ConfigSlotText::WebUrl, m_slot) != text)
        config.SetSlotText(ConfigSlotText::WebUrl, m_slot, text, true);
}

void CAdvancedFeaturesUI::OpenBlankScreenSetting()
{
    StopRecording();
    CBlankScreenSetting::Edit(m_hMainWnd, m_slot, m_pickPicture);
}

void CAdvancedFeaturesUI::Notify(TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return;
    const std::string name = msg.pSender->GetName().str();
    if (name == m_webPage.GetName()) {
        if (msg.sType == DUI_MSGTYPE_TEXTCHANGED || msg.sType == DUI_MSGTYPE_SETFOCUS || msg.sType == DUI_MSGTYPE_KILLFOCUS)
            OnWebAddress();
        return;
    }
    if (msg.sType != DUI_MSGTYPE_CLICK)
        return;
    if (name == m_customButton.GetName()) {
        ToggleRecording();
        return;
    }
    // Any other click ends a recording that waits.
    StopRecording();
    if (name == m_presenterSlot.GetName()) {
        SelectSlot(kSlotPresenter);
    } else if (name == m_mouseSlot.GetName()) {
        SelectSlot(kSlotMouse);
    } else if (name == m_blankSetting.GetName()) {
        OpenBlankScreenSetting();
    } else {
        for (int fun = 1; fun <= kFunctionCount; ++fun) {
            if (name == m_radios[fun - 1].GetName()) {
                const int action = ActionOf(fun, m_slot);
                CConfigManager::GetInstance().SetSlotInt(ConfigSlotInt::Key, m_slot, action, true);
                WriteLog(KVO_LOG_INFO, "CAdvancedFeaturesUI::Notify slot:%d key:%d", m_slot, action);
                Refresh();
                return;
            }
        }
    }
}
