// The advanced-features sub-page and the blank-screen setting window, on the real skins and the
// English language file, offscreen: what they write to the settings file.

#include "CAdvancedFeaturesUI.h"
#include "CBlankScreenSetting.h"
#include "ConfigManager.h"
#include "IniFile.h"
#include "LanguageConfig.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

// The main window holding only the advanced-features sub-page.
class AdvancedWindow : public WindowImplBase {
public:
    AdvancedWindow() : WindowImplBase("MainUI.xml"), page(&m_PaintManager, nullptr) {}
    void InitWindow() override { page.StyleAndShow(true); }
    void Notify(TNotifyUI& msg) override { page.Notify(msg); }
    CAdvancedFeaturesUI page;
};

void Send(CPaintManagerUI& manager, const char* name, const char* type = DUI_MSGTYPE_CLICK)
{
    CControlUI* control = manager.FindControl(name);
    ASSERT_NE(control, nullptr) << name;
    manager.SendNotify(control, type);
}

class AdvancedFeatures : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path source = fs::path(ORVELLE_SOURCE_DIR) / "res/ImgRes";
        fs::create_directories(dir.path() / "ImgRes/language");
        for (const char* skin : {"MainUI.xml", "BlankScreenSetting.xml"})
            fs::copy_file(source / skin, dir.path() / "ImgRes" / skin);
        fs::copy_file(source / "language/english.ini", dir.path() / "ImgRes/language/english.ini");
        WriteWholeFile(dir.file("SetupVersion.txt"), "3.4.5\n");
        CPaintManagerUI::SetResourcePath(CDuiString((dir.path() / "ImgRes").string()));
        CLanguageConfig::GetInstance().SetBaseFolder(dir.path().string());
        CLanguageConfig::GetInstance().InitFromLcid(1033);
        CConfigManager::GetInstance().SetInstallFolder(dir.path().string());
        CConfigManager::GetInstance().FirstRunDefaults();
        CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::DialogOpen, 0);
    }

    // What the settings file holds (not the settings object's memory).
    int Stored(const char* key) const
    {
        return CIniFile::ReadInt("CustomKey", key, CConfigManager::GetInstance().GetConfigPath(), -100);
    }
    std::string StoredText(const char* key) const
    {
        std::string value;
        CIniFile::ReadString("CustomKey", key, "<none>", value, CConfigManager::GetInstance().GetConfigPath());
        return value;
    }

    TempDir dir;
};

TEST_F(AdvancedFeatures, ActionRadiosWriteTheKeyOfTheChosenSlot)
{
    AdvancedWindow window;
    ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0), nullptr);
    CPaintManagerUI& manager = window.GetPaintManager();

    Send(manager, "FunSet_Advanced_Features_Fun3_Radio");
    EXPECT_EQ(Stored("key"), 2);
    const int mouseBefore = Stored("keyForMouse");

    // On the mouse slot the same radio starts the slide show, and the presenter's key stays.
    Send(manager, "FunSet_Advanced_Segment_Mouse");
    EXPECT_EQ(window.page.GetSlot(), kSlotMouse);
    EXPECT_EQ(Stored("keyForMouse"), mouseBefore);
    Send(manager, "FunSet_Advanced_Features_Fun3_Radio");
    EXPECT_EQ(Stored("keyForMouse"), 11);
    EXPECT_EQ(Stored("key"), 2);
    Send(manager, "FunSet_Advanced_Features_Fun7_Radio");
    EXPECT_EQ(Stored("keyForMouse"), 6);
    window.Close();
}

TEST_F(AdvancedFeatures, OnlyAnAcceptedWebAddressIsStored)
{
    AdvancedWindow window;
    ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0), nullptr);
    CPaintManagerUI& manager = window.GetPaintManager();
    CControlUI* edit = manager.FindControl("FunSet_Advanced_Features_Web_Page");
    ASSERT_NE(edit, nullptr);

    edit->SetText(CDuiString("https://example.org/a?b=1&c=%20#top"));
    Send(manager, "FunSet_Advanced_Features_Web_Page", DUI_MSGTYPE_TEXTCHANGED);
    EXPECT_EQ(StoredText("weburl"), "https://example.org/a?b=1&c=%20#top");

    for (const char* rejected : {"https://example.org/a b", "http://x/<script>", "http://x/\"q\""}) {
        edit->SetText(CDuiString(rejected));
        Send(manager, "FunSet_Advanced_Features_Web_Page", DUI_MSGTYPE_TEXTCHANGED);
        EXPECT_EQ(StoredText("weburl"), "https://example.org/a?b=1&c=%20#top") << rejected;
    }

    // The mouse slot keeps its own address.
    Send(manager, "FunSet_Advanced_Segment_Mouse");
    edit->SetText(CDuiString("www.example.net"));
    Send(manager, "FunSet_Advanced_Features_Web_Page", DUI_MSGTYPE_TEXTCHANGED);
    EXPECT_EQ(StoredText("weburlForMouse"), "www.example.net");
    EXPECT_EQ(StoredText("weburl"), "https://example.org/a?b=1&c=%20#top");
    window.Close();
}

TEST_F(AdvancedFeatures, BlankScreenOkWritesTheChoiceOfItsSlotAndCancelNothing)
{
    const int type = Stored("SelectType");
    const int index = Stored("SelectIndex");
    {
        CBlankScreenSetting window(nullptr, kSlotMouse);
        ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0), nullptr);
        Send(window.GetPaintManager(), "Color7_Button");
        EXPECT_EQ(window.GetChosenIndex(), 7);
        Send(window.GetPaintManager(), "OK_Button");
        EXPECT_TRUE(window.IsConfirmed());
    }
    EXPECT_EQ(Stored("SelectTypeForMouse"), CBlankScreenSetting::kTypeColour);
    EXPECT_EQ(Stored("SelectIndexForMouse"), 7);
    EXPECT_EQ(Stored("SelectType"), type);
    EXPECT_EQ(Stored("SelectIndex"), index);

    for (const char* leave : {"Cancel_Button", "closebtn"}) {
        CBlankScreenSetting window(nullptr, kSlotMouse);
        ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0), nullptr);
        EXPECT_EQ(window.GetChosenIndex(), 7) << "starts from the stored choice";
        Send(window.GetPaintManager(), "Color3_Button");
        Send(window.GetPaintManager(), leave);
        EXPECT_FALSE(window.IsConfirmed());
        EXPECT_EQ(Stored("SelectIndexForMouse"), 7) << leave;
    }
}

TEST_F(AdvancedFeatures, BlankScreenTakesPicturesOnlyAndOkChoosesTheInsertedOne)
{
    const std::string text = dir.file("notes.txt");
    WriteWholeFile(text, "not a picture\n");
    const std::string picture = dir.file("Slide.PNG");
    QImage image(16, 9, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(QString::fromStdString(picture), "PNG"));

    const int type = Stored("SelectType");
    const int mouseType = Stored("SelectTypeForMouse");
    std::string next;
    CBlankScreenSetting window(nullptr, kSlotPresenter, [&next] { return next; });
    ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0), nullptr);
    CPaintManagerUI& manager = window.GetPaintManager();

    for (const std::string& refused : {text, dir.file("missing.png"), std::string()}) {
        next = refused;
        Send(manager, "Insert_Image_Button");
        EXPECT_EQ(CConfigManager::GetInstance().GetImageUrl(kSlotPresenter, 1), "") << refused;
        EXPECT_EQ(window.GetChosenType(), CBlankScreenSetting::kTypeColour) << refused;
    }

    next = picture;
    Send(manager, "Insert_Image_Button");
    EXPECT_EQ(CConfigManager::GetInstance().GetImageUrl(kSlotPresenter, 1), picture);
    EXPECT_TRUE(manager.FindControl("Delete_Image1_Button")->IsVisible());
    EXPECT_EQ(Stored("SelectType"), type) << "nothing chosen before OK";
    Send(manager, "OK_Button");
    EXPECT_EQ(Stored("SelectType"), CBlankScreenSetting::kTypePicture);
    EXPECT_EQ(Stored("SelectIndex"), 1);
    EXPECT_EQ(Stored("SelectTypeForMouse"), mouseType);
}

TEST_F(AdvancedFeatures, BlankScreenEmptyTilesAddTheirPictureAndNothingCoversTheAddButton)
{
    const std::string picture = dir.file("slide.png");
    QImage image(16, 9, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    ASSERT_TRUE(image.save(QString::fromStdString(picture), "PNG"));
    CBlankScreenSetting window(nullptr, kSlotPresenter, [&picture] { return picture; });
    ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0), nullptr);
    CPaintManagerUI& manager = window.GetPaintManager();

    Send(manager, "Image3_Button");
    EXPECT_EQ(CConfigManager::GetInstance().GetImageUrl(kSlotPresenter, 3), picture);
    EXPECT_EQ(CConfigManager::GetInstance().GetImageUrl(kSlotPresenter, 1), "");
    EXPECT_EQ(window.GetChosenType(), CBlankScreenSetting::kTypePicture);
    EXPECT_EQ(window.GetChosenIndex(), 3);
    Send(manager, "Image1_Button");
    Send(manager, "Image2_Button");
    EXPECT_EQ(CConfigManager::GetInstance().GetImageUrl(kSlotPresenter, 2), picture);

    // With every picture present, each delete button shows; none lies on the add button.
    const QRect add = manager.FindControl("Insert_Image_Button")->geometry();
    for (const char* name : {"Image1_Button", "Image2_Button", "Image3_Button", "Delete_Image1_Button",
                             "Delete_Image2_Button", "Delete_Image3_Button", "Insert_Image_Label"}) {
        CControlUI* control = manager.FindControl(name);
        ASSERT_TRUE(control != nullptr && control->IsVisible()) << name;
        EXPECT_FALSE(control->geometry().intersects(add)) << name;
    }
}

} // namespace
