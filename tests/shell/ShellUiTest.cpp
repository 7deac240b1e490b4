#include "ConfigManager.h"
#include "DuilibButton.h"
#include "DuilibCombo.h"
#include "DuilibEdit.h"
#include "DuilibSlider.h"
#include "IniFile.h"
#include "LanguageConfig.h"
#include "QtScreens.h"
#include "RecoverSysSetUI.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kPageSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="400,300">
  <Font id="0" name="DejaVu Sans" size="13" default="true" />
  <VerticalLayout name="root">
    <Label name="Title" text="skin text" textcolor="#FF000000" />
    <Button name="Go" text="go" />
    <Edit name="Field" />
    <Combo name="Choice">
      <ListLabelElement text="one" />
      <ListLabelElement text="two" />
      <ListLabelElement text="three" />
    </Combo>
    <Progress name="TimerSet_ProgressBar1" />
    <Progress name="TimerSet_ProgressBar2" />
    <Slider name="TimerSet_Slider" />
  </VerticalLayout>
</Window>
)";

const char* const kRestoreSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="420,220">
  <Container name="windowbackground">
    <Button name="closebtn" float="true" pos="378,12,410,44" />
    <Label name="RecoverSysSet_Title" float="true" pos="58,14,360,46" text="skin title" />
    <Text name="TipText" float="true" pos="24,60,396,146" text="skin question" />
    <Button name="NoBnt" float="true" pos="184,164,290,200" text="skin no" />
    <Button name="YesBnt" float="true" pos="300,164,406,200" text="skin yes" />
  </Container>
</Window>
)";

// A main window that records what is posted to it.
class RecordingWindow : public WindowImplBase {
public:
    RecordingWindow() : WindowImplBase("Page.xml") {}
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM, LPARAM, bool& bHandled) override
    {
        if (uMsg >= WM_USER)
            received.push_back(uMsg);
        bHandled = false;
        return 0;
    }
    std::vector<UINT> received;
};

class ShellUi : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_shell_ui";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            s_app = std::make_unique<QApplication>(argc, argv);
    }
    // Before exit: Qt must not outlive the statics of the libraries it calls into.
    static void TearDownTestSuite() { s_app.reset(); }

    void SetUp() override
    {
        fs::create_directories(dir.path() / "ImgRes/language");
        WriteWholeFile(dir.file("ImgRes/Page.xml"), kPageSkin);
        WriteWholeFile(dir.file("ImgRes/RecoverSysSetUI.xml"), kRestoreSkin);
        WriteLanguage("[funset]\ntitle = Título\ntip = A tooltip\n"
                      "[funset_set_style]\ntitle = textcolor=\"#FF112233\" tooltip=\"styled\"\n"
                      "[reset]\nfun_set_reset_alert_title = Werkseinstellungen\n"
                      "fun_set_reset_alert_message1 = Restore everything?\n"
                      "fun_set_reset_alert_sure = Yes\nfun_set_reset_alert_cancel = No\n");
        CPaintManagerUI::SetResourcePath(CDuiString((dir.path() / "ImgRes").string()));
        CLanguageConfig::GetInstance().SetBaseFolder(dir.path().string());
        CLanguageConfig::GetInstance().InitFromLcid(1033);
        CConfigManager::GetInstance().SetInstallFolder(dir.path().string());
        CConfigManager::GetInstance().FirstRunDefaults();
        ASSERT_NE(page.Create(nullptr, "", 0, 0), nullptr);
    }

    void WriteLanguage(const std::string& content) { WriteWholeFile(dir.file("ImgRes/language/english.ini"), content); }
    CPaintManagerUI* Manager() { return &page.GetPaintManager(); }
    template <class T>
    T* Control(const char* name)
    {
        return Manager()->FindControlAs<T>(name);
    }

    // Runs `step` once the modal window of the next Confirm is up.
    static void WhenDialogShows(std::function<void(QWidget*)> step)
    {
        QTimer::singleShot(0, [step] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w->findChild<CButtonUI*>("YesBnt") != nullptr) {
                    step(w);
                    return;
                }
            }
            ADD_FAILURE() << "no confirmation window";
        });
    }

    static inline std::unique_ptr<QApplication> s_app;
    TempDir dir;
    RecordingWindow page;
};

} // namespace

TEST_F(ShellUi, InitAppliesTheStyleOnceAndSetsVisibility)
{
    CDuilibLabel title(Manager());
    title.Init("Title", "funset_set_style", "title", true);
    auto* label = Control<CLabelUI>("Title");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetTextColor(), 0xFF112233u);
    EXPECT_EQ(label->GetToolTip(), "styled");
    EXPECT_TRUE(label->IsVisible());

    // The list is cached: a changed language file is seen only when the cache is forgotten.
    WriteLanguage("[funset_set_style]\ntitle = textcolor=\"#FF445566\"\n");
    label->SetTextColor(0xFF000000);
    title.Init("Title", "funset_set_style", "title", true);
    EXPECT_EQ(label->GetTextColor(), 0xFF112233u);
    title.Init("Title", "funset_set_style", "title", true, true);
    EXPECT_EQ(label->GetTextColor(), 0xFF445566u);

    // Hidden: no style applied, control hidden.
    label->SetTextColor(0xFF000000);
    title.Init("Title", "funset_set_style", "title", false);
    EXPECT_EQ(label->GetTextColor(), 0xFF000000u);
    EXPECT_FALSE(label->IsVisible());

    // A name the skin lacks makes every call a no-op.
    CDuilibButton missing(Manager());
    missing.Init("NoSuchControl", "funset_set_style", "title", true);
    missing.SetTextFromTable("funset", "title");
    missing.SetNormalImageAndTextColors("x.png", 1, 2);
    EXPECT_EQ(missing.GetControl(), nullptr);
}

TEST_F(ShellUi, TextsComeFromTheTableAndAreCachedUntilReloaded)
{
    CDuilibLabel title(Manager());
    title.Init("Title", "", "", true);
    title.SetTextFromTable("funset", "title");
    auto* label = Control<CLabelUI>("Title");
    EXPECT_EQ(label->GetText(), "Título");

    WriteLanguage("[funset]\ntitle = Title\n");
    title.SetTextFromTable("funset", "title");
    EXPECT_EQ(label->GetText(), "Título");
    title.SetTextFromTable("funset", "title", true);
    EXPECT_EQ(label->GetText(), "Title");

    // A missing text empties the control rather than keeping stale words.
    CDuilibLabel other(Manager());
    other.Init("Title", "", "", true);
    other.SetTextFromTable("funset", "absent");
    EXPECT_EQ(label->GetText(), "");
}

TEST_F(ShellUi, ButtonEditComboAndSliderWrappers)
{
    CDuilibButton go(Manager());
    go.Init("Go", "", "", true);
    go.SetToolTip("funset", "tip");
    go.SetNormalImageAndTextColors("button/on.png", 0xFF010203, 0xFF040506);
    auto* button = Control<CButtonUI>("Go");
    EXPECT_EQ(button->GetToolTip(), "A tooltip");
    EXPECT_EQ(button->GetNormalImage(), "button/on.png");
    EXPECT_EQ(button->GetTextColor(), 0xFF010203u);
    EXPECT_EQ(button->GetHotTextColor(), 0xFF040506u);

    CDuilibEdit field(Manager());
    field.Init("Field", "", "", true);
    field.SetText("http://example.org");
    EXPECT_EQ(field.GetText(), "http://example.org");
    field.SetReadOnly(true);
    EXPECT_TRUE(Control<CEditUI>("Field")->IsReadOnly());

    CDuilibCombo choice(Manager());
    choice.Init("Choice", "", "", true);
    EXPECT_TRUE(choice.SelectItem(2, false));
    EXPECT_EQ(choice.GetCurSel(), 2);
    EXPECT_FALSE(choice.SelectItem(7, false));
    EXPECT_EQ(choice.GetCurSel(), 2);

    CDuilibSlider timer(Manager());
    timer.Init({"TimerSet_ProgressBar1", ""}, {"TimerSet_ProgressBar2", ""}, {"TimerSet_Slider", ""}, "timer_style",
               true);
    timer.SetRange(1, 60);
    timer.SetValue(45);
    timer.SetToolTip("45 min");
    EXPECT_EQ(timer.GetValue(), 45);
    for (const char* name : {"TimerSet_ProgressBar1", "TimerSet_ProgressBar2", "TimerSet_Slider"}) {
        auto* bar = Control<CProgressUI>(name);
        EXPECT_EQ(bar->GetMinValue(), 1) << name;
        EXPECT_EQ(bar->GetMaxValue(), 60) << name;
        EXPECT_EQ(bar->GetValue(), 45) << name;
    }
    timer.SetValue(99);
    EXPECT_EQ(timer.GetValue(), 60);
    EXPECT_EQ(Control<CSliderUI>("TimerSet_Slider")->GetToolTip(), "45 min");
}

TEST_F(ShellUi, ConfirmedRestoreReplacesTheSettingsAndTellsTheMainWindow)
{
    auto& settings = CConfigManager::GetInstance();
    settings.SetInt(ConfigInt::MouseDPI, 33, true);
    WriteWholeFile(dir.file("InitConfig.ini"), "[FunSet_Set]\nMouseDPI = 80\n");

    std::string shownText;
    int flagWhileOpen = -1;
    WhenDialogShows([&](QWidget* w) {
        shownText = w->findChild<CControlUI*>("RecoverSysSet_Title")->GetText().str() + "|" +
                    w->findChild<CControlUI*>("TipText")->GetText().str() + "|" +
                    w->findChild<CControlUI*>("YesBnt")->GetText().str() + "|" +
                    w->findChild<CControlUI*>("NoBnt")->GetText().str();
        flagWhileOpen = settings.GetRuntime(CConfigManager::Runtime::DialogOpen);
        w->findChild<CButtonUI*>("YesBnt")->Activate();
    });
    EXPECT_TRUE(CRecoverSysSetUI::Confirm(page.GetHWND()));
    EXPECT_EQ(shownText, "Werkseinstellungen|Restore everything?|Yes|No");
    EXPECT_EQ(flagWhileOpen, 1);
    EXPECT_EQ(settings.GetRuntime(CConfigManager::Runtime::DialogOpen), 0);
    EXPECT_EQ(ReadWholeFile(dir.file("config.ini")), "[FunSet_Set]\nMouseDPI = 80\n\n[UpdateVersion]\nIsFirstRun = 0\n");

    QCoreApplication::processEvents();
    EXPECT_EQ(page.received, std::vector<UINT>{WM_USER + 1009});
}

TEST_F(ShellUi, DeclinedRestoreChangesNothing)
{
    auto& settings = CConfigManager::GetInstance();
    settings.SetInt(ConfigInt::MouseDPI, 33, true);
    WriteWholeFile(dir.file("InitConfig.ini"), "[FunSet_Set]\nMouseDPI = 80\n");
    const std::string before = ReadWholeFile(dir.file("config.ini"));

    for (const char* button : {"NoBnt", "closebtn"}) {
        WhenDialogShows([button](QWidget* w) { w->findChild<CButtonUI*>(button)->Activate(); });
        EXPECT_FALSE(CRecoverSysSetUI::Confirm(page.GetHWND())) << button;
        EXPECT_EQ(ReadWholeFile(dir.file("config.ini")), before);
        EXPECT_EQ(settings.GetRuntime(CConfigManager::Runtime::DialogOpen), 0);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(page.received.empty());
}

TEST_F(ShellUi, QtScreensFeedTheLargeScreenRule)
{
    // The offscreen platform has one 800 x 800 screen.
    platform::QtScreens screens;
    const auto monitors = screens.Monitors();
    ASSERT_EQ(monitors.size(), 1u);
    EXPECT_EQ(monitors[0].width, 800);
    EXPECT_EQ(monitors[0].height, 800);

    CConfigManager settings;
    settings.SetInstallFolder(dir.path().string());
    settings.SetScreens(&screens);
    settings.FirstRunDefaults();
    settings.LoadAll();
    EXPECT_EQ(settings.GetMonitorCount(), 1);
    EXPECT_FALSE(settings.IsLargeScreen());
    EXPECT_EQ(settings.GetEffectSize(CConfigManager::EffectSize::Spotlight), (CConfigManager::Size{400, 260}));
}
