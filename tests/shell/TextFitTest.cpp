// Every text the program's windows show, in every language, measured with the skin's font
// against the control that shows it: a word cut off at a control's edge fails.

#include "CBlankScreenSetting.h"
#include "CFunctionSelectPageUI.h"
#include "CFunctionSetPageUI.h"
#include "CMainControl.h"
#include "CMessageBoxUI.h"
#include "LanguageConfig.h"
#include "QtScreens.h"
#include "RecoverSysSetUI.h"
#include "ToolTip_UI.h"
#include "InstallFolderTest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class TextFitTest : public InstallFolderTest {
protected:
    // Every visible text of `window` that does not fit its control, as "window/control: text".
    void CollectClipped(const std::string& where, QWidget* window)
    {
        ASSERT_NE(window, nullptr) << where;
        QCoreApplication::processEvents();
        for (const CLabelUI* label : window->findChildren<CLabelUI*>()) {
            // An edit's text is the user's own; its hint is drawn by the edit line.
            if (qobject_cast<const CEditUI*>(label) != nullptr || !label->isVisibleTo(window))
                continue;
            if (label->IsTextClipped())
                clipped.push_back(where + "/" + label->GetName().str() + ": " + label->GetText().str());
        }
    }

    void MeasureMainWindow(const std::string& file, CMainControl& window)
    {
        CMainPageUI& main = window.GetMainPage();
        for (int page : {CMainPageUI::kSelectPage, CMainPageUI::kAboutPage}) {
            main.SelectPage(page);
            CollectClipped(file + " page " + std::to_string(page), window.GetWidget());
        }
        // The function button's choice, shown for a mouse-type remote, with each of its entries.
        CFunctionSelectPageUI::Hooks mouse;
        mouse.deviceType = [] { return 1; };
        main.SetPage(CMainPageUI::kSelectPage, std::make_unique<CFunctionSelectPageUI>(&window.GetPaintManager(), mouse));
        main.SelectPage(CMainPageUI::kSelectPage);
        auto* combo = window.GetPaintManager().FindControlAs<CComboUI>("HotKey_Combox");
        ASSERT_NE(combo, nullptr);
        for (int item = 0; item < combo->GetCount(); ++item) {
            combo->SelectItem(item, false, false);
            CollectClipped(file + " function button " + std::to_string(item), window.GetWidget());
        }
        main.SelectPage(CMainPageUI::kSetPage);
        CFunctionSetPageUI* set = window.GetFunctionSetPage();
        ASSERT_NE(set, nullptr);
        for (int sub = 0; sub < CFunctionSetPageUI::kSubPageCount; ++sub) {
            set->SelectSubPage(sub);
            CollectClipped(file + " settings " + std::to_string(sub), window.GetWidget());
        }
        // The custom key's second slot names other actions.
        CControlUI* mouseSlot = window.GetPaintManager().FindControl("FunSet_Advanced_Segment_Mouse");
        ASSERT_NE(mouseSlot, nullptr);
        window.GetPaintManager().SendNotify(mouseSlot, DUI_MSGTYPE_CLICK);
        CollectClipped(file + " custom key, mouse", window.GetWidget());
    }

    void MeasureDialogs(const std::string& file, HWND owner)
    {
        for (const char* key : {"fun_set_reset_alert_message1", "fun_set_setting_cursor_adaptive_alert_message"}) {
            CRecoverSysSetUI confirm(owner, key);
            ASSERT_NE(confirm.Create(owner, "", 0, 0), nullptr);
            CollectClipped(file + " " + key, confirm.GetWidget());
            confirm.Close();
        }
        for (int slot : {0, 1}) {
            CBlankScreenSetting blank(owner, slot, [] { return std::string(); });
            ASSERT_NE(blank.Create(owner, "", 0, 0), nullptr);
            CollectClipped(file + " blank screen " + std::to_string(slot), blank.GetWidget());
            blank.Close();
        }
    }

    void MeasureNotices(const std::string& file, const platform::IScreens& screens)
    {
        ToolTip_UI toolTip(screens);
        ASSERT_TRUE(toolTip.Build(nullptr));
        for (int function = 1; function <= 6; ++function) {
            toolTip.SetToolTipMode(function);
            CollectClipped(file + " tooltip " + std::to_string(function), toolTip.GetWidget());
        }
        for (int colour = 1; colour <= 4; ++colour) {
            toolTip.SetToolTipColorMode(colour);
            CollectClipped(file + " tooltip colour " + std::to_string(colour), toolTip.GetWidget());
        }
        toolTip.Close();

        CMessageBoxUI messageBox(screens, [] { return POINT{10, 10}; });
        ASSERT_TRUE(messageBox.Build());
        CControlUI* label = messageBox.GetPaintManager().FindControl("Messasge_Label");
        ASSERT_NE(label, nullptr);
        for (const char* key : {"multiDevice_tooltip", "noAccess_tooltip", "no_mirrola", "mirrola_version_lower",
                                "start_mirrola"}) {
            label->SetText(CDuiString(CLanguageConfig::GetInstance().GetText("tooltip", key)));
            CollectClipped(file + " message " + key, messageBox.GetWidget());
        }
        messageBox.Destroy();
    }

    std::vector<std::string> clipped;
};

TEST_F(TextFitTest, EveryTextOfEveryWindowFitsItsControlInEveryLanguage)
{
    const auto& languages = kLanguages;
    const char* before = std::getenv("LC_ALL");
    const std::string saved = before != nullptr ? before : "";
    platform::QtScreens screens;
    for (const auto& [locale, file] : languages) {
        setenv("LC_ALL", locale.c_str(), 1);
        ProgramContext context;
        context.installFolder = dir.path().string();
        auto window = std::make_unique<CMainControl>(context);
        ASSERT_NE(window->Create(nullptr, "", WS_POPUP, 0), nullptr) << locale;
        ASSERT_EQ(fs::path(CLanguageConfig::GetInstance().GetLanguagePath()).filename(), file) << locale;
        MeasureMainWindow(file, *window);
        MeasureDialogs(file, window->GetHWND());
        MeasureNotices(file, screens);
        window->Shutdown();
    }
    if (saved.empty())
        unsetenv("LC_ALL");
    else
        setenv("LC_ALL", saved.c_str(), 1);
    std::string list;
    for (const std::string& text : clipped)
        list += "\n  " + text;
    EXPECT_TRUE(clipped.empty()) << clipped.size() << " texts do not fit:" << list;
}

} // namespace
