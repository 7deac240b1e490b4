// Pages 0 and 1 of the settings window on the real skin and the English language file, offscreen.

// The link's headers before Qt's, whose `slots` keyword would rename a ring queue member.
#include "PoolFixture.h"

#include "CFunctionSelectPageUI.h"
#include "CFunctionSetPageUI.h"
#include "CMainPageUI.h"
#include "CPostilPageUI.h"
#include "CSearchlightPageUI.h"
#include "CSettingPageUI.h"
#include "CZoomPageUI.h"
#include "ConfigManager.h"
#include "IniFile.h"
#include "LanguageConfig.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <memory>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

class PagesWindow : public WindowImplBase {
public:
    PagesWindow() : WindowImplBase("MainUI.xml"), page(&m_PaintManager) {}
    void InitWindow() override
    {
        page.Init(GetHWND(), false, {});
        page.SetPage(CMainPageUI::kSelectPage, std::make_unique<CFunctionSelectPageUI>(&m_PaintManager, selectHooks));
        auto set = std::make_unique<CFunctionSetPageUI>(&m_PaintManager);
        set->SetSubPage(CFunctionSetPageUI::kSearchlight, std::make_unique<CSearchlightPageUI>(&m_PaintManager));
        set->SetSubPage(CFunctionSetPageUI::kZoom, std::make_unique<CZoomPageUI>(&m_PaintManager, previewImage));
        set->SetSubPage(CFunctionSetPageUI::kPostil, std::make_unique<CPostilPageUI>(&m_PaintManager));
        set->SetSubPage(CFunctionSetPageUI::kSetting, std::make_unique<CSettingPageUI>(&m_PaintManager, settingHooks));
        setPage = set.get();
        page.SetPage(CMainPageUI::kSetPage, std::move(set));
        page.StyleAndShow(true);
    }
    void Notify(TNotifyUI& msg) override { page.Notify(msg); }
    void Send(const char* name, const char* type)
    {
        CControlUI* control = m_PaintManager.FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        m_PaintManager.SendNotify(control, type);
    }
    CFunctionSelectPageUI::Hooks selectHooks;
    CSettingPageUI::Hooks settingHooks;
    CZoomPageUI::PreviewImage previewImage;
    CFunctionSetPageUI* setPage = nullptr;
    CMainPageUI page;
};

class SettingPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path source = fs::path(ORVELLE_SOURCE_DIR) / "res/ImgRes";
        fs::create_directories(dir.path() / "ImgRes/language");
        fs::copy_file(source / "MainUI.xml", dir.path() / "ImgRes/MainUI.xml");
        fs::copy_file(source / "language/english.ini", dir.path() / "ImgRes/language/english.ini");
        CPaintManagerUI::SetResourcePath(CDuiString((dir.path() / "ImgRes").string()));
        CLanguageConfig::GetInstance().SetBaseFolder(dir.path().string());
        CLanguageConfig::GetInstance().InitFromLcid(1033);
        CConfigManager& config = CConfigManager::GetInstance();
        config.SetInstallFolder(dir.path().string());
        config.SetConfigFolder("");
        config.FirstRunDefaults();
        config.LoadAll();
        window.selectHooks.endCurrentMode = [this] { ++modeEnded; };
        window.selectHooks.deviceType = [this] { return deviceType; };
        window.settingHooks.deviceType = [this] { return deviceType; };
        window.settingHooks.modelBit = [this] { return modelBit; };
        window.settingHooks.sendSensitivity = [this](int dpi, int rate) { sent.emplace_back(dpi, rate); };
        window.settingHooks.sendMotor = [this](int ms, int level) { motor.emplace_back(ms, level); };
        window.settingHooks.confirmRestore = [this](const std::string& key) {
            asked.push_back(key);
            return confirm;
        };
        window.previewImage = [](double zoomMom) { return zoomMom > 2.4 ? std::string("/tmp/zoom25.png") : std::string(); };
        ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0), nullptr);
    }

    template <class T = CControlUI>
    T* Control(const std::string& name)
    {
        return window.GetPaintManager().FindControlAs<T>(CDuiString(name));
    }
    std::string Text(const std::string& name) { return Control(name)->GetText().str(); }
    std::string Normal(const std::string& name) { return Control(name)->GetNormalImage().str(); }
    std::string Config(ConfigText key) { return CConfigManager::GetInstance().GetText(key); }
    void SetSlider(const char* name, int value)
    {
        Control<CSliderUI>(name)->SetValue(value);
        window.Send(name, DUI_MSGTYPE_VALUECHANGED);
    }

    TempDir dir;
    int deviceType = 0;
    int modelBit = 0;
    int modeEnded = 0;
    std::vector<std::pair<int, int>> sent;
    std::vector<std::pair<int, int>> motor;
    std::vector<std::string> asked;
    bool confirm = false;
    PagesWindow window;
};

TEST_F(SettingPages, FunctionListShowsMovesAndSwitchesRowsAndEndsTheEffect)
{
    window.Send("Bnt_SelectFunction", DUI_MSGTYPE_CLICK);
    ASSERT_EQ(window.page.GetCurrentPage(), 0);
    const char* names[] = {"Mouse", "Spotlight", "Digital laser", "Magnifier", "Annotation pen"};
    for (int row = 1; row <= 5; ++row) {
        const std::string n = std::to_string(row);
        EXPECT_EQ(Text("SelFun_Text" + n), names[row - 1]);
        EXPECT_EQ(Normal("SelFun_Select" + n), "file='button\\FunctionSet\\on.png'");
        EXPECT_TRUE(Control("SelFun_bk" + n)->IsVisible());
    }
    EXPECT_FALSE(Control("SelFun_Up1")->IsVisible());
    for (const char* part : {"bk6", "Text6", "Select6", "Up6", "Down6"})
        EXPECT_FALSE(Control(std::string("SelFun_") + part)->IsVisible()) << part;
    // The hot-key choice is for mouse-type devices only.
    EXPECT_FALSE(Control("HotKey_Combox")->IsVisible());

    window.Send("SelFun_Down2", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(Config(ConfigText::SelValue), "132456");
    EXPECT_EQ(Text("SelFun_Text2"), "Digital laser");
    EXPECT_EQ(modeEnded, 1);

    // Switched off: grey, disabled move buttons, a status text; and back again.
    window.Send("SelFun_Select3", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(Config(ConfigText::IsUsed), "110110");
    EXPECT_EQ(Control<CLabelUI>("SelFun_Text3")->GetTextColor(), 0xFF828282u);
    EXPECT_FALSE(Control("SelFun_Up3")->IsEnabled());
    EXPECT_FALSE(Control("SelFun_Down3")->IsEnabled());
    EXPECT_EQ(Text("SelFun_ToolTip3"), "Switched off");
    EXPECT_EQ(Normal("SelFun_Select3"), "file='button\\FunctionSet\\off.png'");
    // The flag moves with its function.
    window.Send("SelFun_Up3", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(Config(ConfigText::SelValue), "123456");
    EXPECT_EQ(Config(ConfigText::IsUsed), "101110");
    window.Send("SelFun_Select2", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(Config(ConfigText::IsUsed), "111110");
    EXPECT_TRUE(Control("SelFun_Down2")->IsEnabled());
    EXPECT_EQ(Control<CLabelUI>("SelFun_Text2")->GetTextColor(), 0xFFFFFFFFu);
    EXPECT_EQ(Text("SelFun_ToolTip2"), "");
    EXPECT_EQ(modeEnded, 4);

    // Written at once: a fresh read of the file agrees.
    CConfigManager::GetInstance().ReloadText(ConfigText::IsUsed);
    EXPECT_EQ(Config(ConfigText::IsUsed), "111110");
}

TEST_F(SettingPages, HotKeyComboWritesItsEntryForMouseDevices)
{
    deviceType = 1;
    window.Send("Bnt_SelectFunction", DUI_MSGTYPE_CLICK);
    auto* combo = Control<CComboUI>("HotKey_Combox");
    ASSERT_TRUE(combo->IsVisible());
    EXPECT_EQ(combo->GetCurSel(), 1); // HotKey 3
    combo->SelectItem(2);
    EXPECT_EQ(CConfigManager::GetInstance().GetInt(ConfigInt::HotKey), 4);
}

TEST_F(SettingPages, SpotlightSlidersStoreTheirValuesAndShowThemInTheTooltip)
{
    ASSERT_EQ(window.setPage->GetCurrentSubPage(), 0);
    SetSlider("FunSet_H_Slider", 30);
    EXPECT_FLOAT_EQ(CConfigManager::GetInstance().GetReal(ConfigReal::SearchlightAspectRatio), 0.3f);
    EXPECT_EQ(Control("FunSet_H_Slider")->GetToolTip().str(), "Aspect ratio 1 : 0.30");
    SetSlider("FunSet_alpha_Slider", 20);
    EXPECT_EQ(CConfigManager::GetInstance().GetInt(ConfigInt::SearchlightAlphaVal), 51);
    EXPECT_EQ(Control("FunSet_alpha_Slider")->GetToolTip().str(), "Dimming: 1%");
    window.Send("FunSet_ShowMouse_Bnt", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(CConfigManager::GetInstance().GetInt(ConfigInt::SearchlightShowMouse), 1);
    EXPECT_TRUE(Control("FunSet_Mouse_Center")->IsVisible());

    window.Send("FunSet_Set_Bnt", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(window.setPage->GetCurrentSubPage(), 4);
    EXPECT_EQ(Normal("FunSet_Set_Bnt"), "file='button\\FunctionSet\\NormalSelect.png' corner='12,8,8,8'");
    EXPECT_EQ(Normal("FunSet_Searchlight_Bnt"), "file='button\\FunctionSet\\Normal.png' corner='12,8,8,8'");
    EXPECT_FALSE(Control("FunSet_Mouse_Center")->IsVisible());
}

TEST_F(SettingPages, SensitivityAndVibrationReachTheRemote)
{
    ASSERT_EQ(Mem_CreatePool(), 0);
    ASSERT_EQ(CreateDataQueueMgr(), 0);
    MemorySink log;
    ASSERT_EQ(StartLogWriter(&log), 0);
    window.Send("FunSet_Set_Bnt", DUI_MSGTYPE_CLICK);
    SetSlider("FunSet_Set_Slider", 0);
    SetSlider("FunSet_Set_Slider", 80);
    modelBit = 1;
    SetSlider("FunSet_Set_Slider", 40);
    EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{110, 100}, {30, 100}, {37, 100}}));
    EXPECT_EQ(CConfigManager::GetInstance().GetInt(ConfigInt::MouseDPI), 40);
    deviceType = 2;
    SetSlider("FunSet_Set_Slider", 20);
    EXPECT_EQ(sent.back(), std::make_pair(27, 100));
    deviceType = 0;
    CloseLogWriter();
    DestroyDataQueueMgr();
    Mem_DestroyPool();
    for (const char* line : {"SendSensitivityCmdFunc KVO_PRESENTER DPI:110 Rate:100\r\n",
                             "SendSensitivityCmdFunc KVO_PRESENTER DPI:37 Rate:100\r\n",
                             "SendSensitivityCmdFunc KVO_WIRLESS_MOUSE|KVO_WIRED_MOUSE DPI:27 Rate:100\r\n"})
        EXPECT_NE(log.Text().find(std::string("CSettingPageUI::OnValueChange ") + line), std::string::npos) << line;
    sent.pop_back();
    // The test pulse is longer on a remote of the newer model (model bit 1).
    window.Send("FunSet_Set_Strong_Ratio", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(CConfigManager::GetInstance().GetInt(ConfigInt::ShockIntensity), 3);
    modelBit = 0;
    window.Send("FunSet_Set_Weak_Ratio", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(motor, (std::vector<std::pair<int, int>>{{1000, 3}, {500, 1}}));

    // No device: stored, nothing sent.
    deviceType = -1;
    SetSlider("FunSet_Set_Slider", 10);
    EXPECT_EQ(sent.size(), 3u);
    EXPECT_EQ(CConfigManager::GetInstance().GetInt(ConfigInt::MouseDPI), 10);
}

TEST_F(SettingPages, MagnificationButtonsStoreTheFactorAndShowItsPreview)
{
    window.Send("FunSet_Zoom_Bnt", DUI_MSGTYPE_CLICK);
    const std::string before = Control("FunSet_Zoom_Preview")->GetBkImage().str();
    window.Send("FunSet_ZoomMom1_Bnt", DUI_MSGTYPE_CLICK);
    EXPECT_FLOAT_EQ(CConfigManager::GetInstance().GetReal(ConfigReal::ZoomMom), 1.5f);
    // No picture for 1.5: the preview keeps what it showed.
    EXPECT_EQ(Control("FunSet_Zoom_Preview")->GetBkImage().str(), before);
    window.Send("FunSet_ZoomMom3_Bnt", DUI_MSGTYPE_CLICK);
    EXPECT_FLOAT_EQ(CConfigManager::GetInstance().GetReal(ConfigReal::ZoomMom), 2.5f);
    EXPECT_EQ(Control("FunSet_Zoom_Preview")->GetBkImage().str(), "file='/tmp/zoom25.png'");
}

TEST_F(SettingPages, MagnifierPreviewCoversTheWholeHoleAsTheSlidersReshapeIt)
{
    std::vector<float> madeFor; // the aspect each picture was made for
    window.previewImage = [&madeFor](double) {
        madeFor.push_back(CConfigManager::GetInstance().GetReal(ConfigReal::ZoomAspectRatio));
        return std::string("/tmp/zoom.png");
    };
    ASSERT_NE(window.setPage, nullptr);
    window.setPage->SetSubPage(CFunctionSetPageUI::kZoom,
                               std::make_unique<CZoomPageUI>(&window.GetPaintManager(), window.previewImage));
    window.Send("FunSet_Zoom_Bnt", DUI_MSGTYPE_CLICK);

    SetSlider("FunSet_Zoom_H_Slider", 80); // 180 x 144, below the panel's top at 140 + 20
    const RECT tall = Control("FunSet_Zoom_Preview")->GetPos();
    EXPECT_EQ(tall.right - tall.left, 180);
    EXPECT_EQ(tall.top, 160);
    EXPECT_EQ(tall.bottom, 160 + 144);
    ASSERT_FALSE(madeFor.empty());
    EXPECT_FLOAT_EQ(madeFor.back(), 0.8f);

    SetSlider("FunSet_Zoom_W_Slider", 50); // roundness 0.25 of the 180 x 144 hole
    const SIZE round = Control("FunSet_Zoom_Preview")->GetBorderRound();
    EXPECT_EQ(round.cx, 45);
    EXPECT_EQ(round.cy, 36);

    SetSlider("FunSet_Zoom_H_Slider", 30);
    const RECT flat = Control("FunSet_Zoom_Preview")->GetPos();
    EXPECT_EQ(flat.bottom - flat.top, 54);
    EXPECT_FLOAT_EQ(madeFor.back(), 0.3f);
}

// Which threads reach the disk sync of a settings write, and how slow the disk is.
std::atomic<int> g_syncs{0};
std::atomic<int> g_syncsOnUiThread{0};
std::thread::id g_uiThread;

bool SlowSync(CIniFile::FaultPoint point)
{
    if (point == CIniFile::FaultPoint::Sync) {
        ++g_syncs;
        if (std::this_thread::get_id() == g_uiThread)
            ++g_syncsOnUiThread;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST_F(SettingPages, SliderStepsAreWrittenAtOnceButNeverSyncedOnTheUiThread)
{
    CConfigManager& config = CConfigManager::GetInstance();
    config.SetBackgroundWrites(true); // as the program runs
    g_uiThread = std::this_thread::get_id();
    CIniFile::SetFaultHook(SlowSync);
    window.Send("FunSet_Searchlight_Bnt", DUI_MSGTYPE_CLICK);
    for (int v = 30; v <= 80; v += 5)
        SetSlider("FunSet_H_Slider", v);
    // Still on its way to the disk, a key read from the file already has its new value.
    config.SetImageUrl(kSlotPresenter, 2, "/tmp/slide.png", true);
    EXPECT_EQ(config.GetImageUrl(kSlotPresenter, 2), "/tmp/slide.png");

    config.FlushWrites();
    CIniFile::SetFaultHook(nullptr);
    EXPECT_FLOAT_EQ(CIniFile::ReadFloat("FunSet_Searchlight", "AspectRatio", config.GetConfigPath(), 0.0f), 0.8f);
    EXPECT_EQ(config.GetImageUrl(kSlotPresenter, 2), "/tmp/slide.png");
    EXPECT_GT(g_syncs.load(), 0);
    EXPECT_EQ(g_syncsOnUiThread.load(), 0);

    // A restore waits for the writes: the slider's last value does not land over it.
    config.SetReal(ConfigReal::SearchlightAspectRatio, 0.9f, true);
    WriteWholeFile((dir.path() / "InitConfig.ini").string(), "[FunSet_Searchlight]\nAspectRatio = 0.400000\n");
    config.RestoreDefaults();
    config.SetBackgroundWrites(false);
    EXPECT_FLOAT_EQ(CIniFile::ReadFloat("FunSet_Searchlight", "AspectRatio", config.GetConfigPath(), 0.0f), 0.4f);
}

TEST_F(SettingPages, PenWidthPreviewFollowsTheSliderAndKeepsAHandEditedWidthInRange)
{
    window.Send("FunSet_Postil_Bnt", DUI_MSGTYPE_CLICK);
    SetSlider("FunSet_Postil_Slider", 8);
    EXPECT_EQ(CConfigManager::GetInstance().GetInt(ConfigInt::LineSize), 8);
    EXPECT_EQ(Control("FunSet_Postil_Line")->GetPos().bottom, 258);

    CConfigManager& config = CConfigManager::GetInstance();
    for (const auto& [stored, bottom] : {std::pair{"1e12", 260}, std::pair{"-1e12", 254}}) {
        CIniFile::WriteString("FunSet_Postil", "LineSize", stored, config.GetConfigPath());
        config.LoadAll();
        window.setPage->SelectSubPage(CFunctionSetPageUI::kPostil);
        EXPECT_EQ(Control("FunSet_Postil_Line")->GetPos().bottom, bottom) << stored;
    }
}

TEST_F(SettingPages, RestoreAndAdaptiveSpeedAskFirst)
{
    CConfigManager& config = CConfigManager::GetInstance();
    window.Send("FunSet_Set_Bnt", DUI_MSGTYPE_CLICK);
    SetSlider("FunSet_Set_Slider", 20);
    // Declined: nothing changes.
    window.Send("FunSet_RecoverSysSet_Bnt", DUI_MSGTYPE_CLICK);
    window.Send("FunSet_Set_Adaptive_Button", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(asked, (std::vector<std::string>{"fun_set_reset_alert_message1",
                                               "fun_set_setting_cursor_adaptive_alert_message"}));
    EXPECT_EQ(config.GetInt(ConfigInt::MouseDPI), 20);
    EXPECT_EQ(config.GetInt(ConfigInt::CursorSpeedAdaptiveModel), 0);

    // Confirmed (the dialog itself restored the file): reloaded, sent, custom keys reset.
    confirm = true;
    sent.clear();
    CIniFile::WriteInt("FunSet_Set", "MouseDPI", 80, config.GetConfigPath());
    window.Send("FunSet_RecoverSysSet_Bnt", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(config.GetInt(ConfigInt::MouseDPI), 80);
    EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{30, 100}}));
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::Key, kSlotMouse), 11);
    EXPECT_EQ(Control<CSliderUI>("FunSet_Set_Slider")->GetValue(), 80);

    // Adaptive speed on: the restored file is what the pages and the effects use from then on.
    SetSlider("FunSet_Set_Slider", 20);
    CIniFile::WriteInt("FunSet_Set", "MouseDPI", 55, config.GetConfigPath());
    sent.clear();
    window.Send("FunSet_Set_Adaptive_Button", DUI_MSGTYPE_CLICK);
    EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{55, 100}})) << "the remote gets the restored speed too";
    EXPECT_EQ(config.GetInt(ConfigInt::CursorSpeedAdaptiveModel), 1);
    EXPECT_EQ(Normal("FunSet_Set_Adaptive_Button"), "file='button\\FunctionSet\\on.png'");
    EXPECT_EQ(config.GetInt(ConfigInt::MouseDPI), 55);
    EXPECT_EQ(Control<CSliderUI>("FunSet_Set_Slider")->GetValue(), 55);
}

TEST(SensitivityFor, MouseDevicesUseTheirOwnScale)
{
    EXPECT_EQ(SensitivityFor(0, 0, true).dpi, 80);
    EXPECT_EQ(SensitivityFor(80, 0, true).dpi, 240);
    EXPECT_EQ(SensitivityFor(80, 0, true).rate, 20);
    EXPECT_EQ(SensitivityFor(80, 1, true).dpi, 63);
    EXPECT_EQ(SensitivityFor(80, 1, false).dpi, 60);
}

} // namespace
