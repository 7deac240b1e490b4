#include "ConfigManager.h"

#include "FakeScreens.h"
#include "IniFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using Size = CConfigManager::Size;

namespace {

class ConfigStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SetInstallFolder(dir.path().string());
        settings.SetScreens(&screens);
    }
    std::string Config() const { return dir.file("config.ini"); }

    TempDir dir;
    FakeScreens screens{{0, 0, 1920, 1080}};
    CConfigManager settings;
};

} // namespace

TEST_F(ConfigStore, FirstRunOnAnEmptyFolderWritesTheFunctionListDefaults)
{
    EXPECT_EQ(settings.FirstRunDefaults(), 80);
    EXPECT_EQ(settings.GetConfigPath(), Config());
    EXPECT_EQ(ReadWholeFile(Config()), "\n[FunSelect]\n"
                                       "Mouse_SelValue = 123456\n"
                                       "SelValue = 123456\n"
                                       "NewVersion = 1\n"
                                       "Mouse_IsUsed = 111110\n"
                                       "IsUsed = 111110\n");
    // A second start finds everything in place and writes nothing.
    const auto before = fs::last_write_time(Config());
    const std::string content = ReadWholeFile(Config());
    EXPECT_EQ(settings.FirstRunDefaults(), 80);
    EXPECT_EQ(ReadWholeFile(Config()), content);
    EXPECT_EQ(fs::last_write_time(Config()), before);
}

TEST_F(ConfigStore, FirstRunOnAnExistingFileKeepsTheUsersChoices)
{
    const std::string user = "[FunSelect]\nNewVersion = 1\nSelValue = 654321\nIsUsed = 100001\n"
                             "Mouse_SelValue = 123456\n\n[FunSet_Set]\nMouseDPI = 85.9\n";
    WriteWholeFile(Config(), user);
    EXPECT_EQ(settings.FirstRunDefaults(), 85);
    EXPECT_EQ(ReadWholeFile(Config()), user);

    // An older file (no NewVersion) has its IsUsed reset once.
    WriteWholeFile(Config(), "[FunSelect]\nSelValue = 654321\nIsUsed = 100001\nMouse_SelValue = 123456\n");
    settings.FirstRunDefaults();
    settings.LoadAll();
    EXPECT_EQ(settings.GetText(ConfigText::SelValue), "654321");
    EXPECT_EQ(settings.GetText(ConfigText::IsUsed), "111110");
    EXPECT_EQ(settings.GetInt(ConfigInt::NewVersion), 1);
}

TEST_F(ConfigStore, LoadAllReadsEveryKeyWithItsTypeAndDefault)
{
    WriteWholeFile(Config(), "[FunSelect]\nNewVersion = 1\nMouse_SelValue = 123456\nSelValue = 321\nIsUsed = 1010101\nHotKey = 2\n"
                             "[FunSet_Set]\nMouseDPI = 85.9\nShockIntensity = 3\nCursorSpeedAdaptiveModel = 1\n"
                             "[FunSet_Searchlight]\nShowMouse = 1\nBorderRound = 0.250000\nAlphaVal = 180\n"
                             "[FunSet_Zoom]\nShowMouse = 0\nZoomMom = 3.500000\n"
                             "[FunSet_Postil]\nLineSize = 6.000000\nIsControlSpeed = 7\n\nMovementSpeed = 90\n"
                             "[CustomKey]\nkey = 8\nweburl = example.org\nkeyForMouse = 11\n"
                             "keybordValue1ForMouse = 162\nSelectIndexForMouse = 4\nImage2Url = /tmp/a.png\n"
                             "[Log]\nLog_Level = 0\n");
    settings.FirstRunDefaults();
    settings.LoadAll();

    EXPECT_EQ(settings.GetText(ConfigText::SelValue), "321000");
    EXPECT_EQ(settings.GetFunctionAt(0), 3);
    EXPECT_EQ(settings.GetFunctionAt(5), 0);
    EXPECT_EQ(settings.GetFunctionAt(6), 0);
    EXPECT_EQ(settings.GetText(ConfigText::IsUsed), "101010");
    EXPECT_EQ(settings.GetFunctionUsedAt(2), 1);
    EXPECT_EQ(settings.GetInt(ConfigInt::HotKey), 2);
    EXPECT_EQ(settings.GetSensitivity(), 85);
    EXPECT_EQ(settings.GetInt(ConfigInt::ShockIntensity), 3);
    EXPECT_EQ(settings.GetInt(ConfigInt::CursorSpeedAdaptiveModel), 1);
    EXPECT_EQ(settings.GetInt(ConfigInt::SearchlightShowMouse), 1);
    EXPECT_EQ(settings.GetInt(ConfigInt::ZoomShowMouse), 0);
    EXPECT_FLOAT_EQ(settings.GetReal(ConfigReal::SearchlightBorderRound), 0.25f);
    EXPECT_FLOAT_EQ(settings.GetReal(ConfigReal::SearchlightAspectRatio), 0.5f);
    EXPECT_EQ(settings.GetInt(ConfigInt::SearchlightAlphaVal), 180);
    EXPECT_EQ(settings.GetInt(ConfigInt::ZoomAlphaVal), 100);
    EXPECT_FLOAT_EQ(settings.GetReal(ConfigReal::ZoomMom), 3.5f);
    EXPECT_EQ(settings.GetInt(ConfigInt::LineSize), 6);
    EXPECT_EQ(settings.GetInt(ConfigInt::IsControlSpeed), 1);
    EXPECT_EQ(settings.GetInt(ConfigInt::MovementSpeed), 40); // after the empty line
    EXPECT_EQ(settings.GetInt(ConfigInt::DigitalLaserColor), 1);
    EXPECT_EQ(settings.GetSlotInt(ConfigSlotInt::Key, kSlotPresenter), 8);
    EXPECT_EQ(settings.GetSlotInt(ConfigSlotInt::Key, kSlotMouse), 11);
    EXPECT_EQ(settings.GetSlotText(ConfigSlotText::WebUrl, kSlotPresenter), "example.org");
    EXPECT_EQ(settings.GetSlotText(ConfigSlotText::WebUrl, kSlotMouse), "");
    EXPECT_EQ(settings.GetSlotInt(ConfigSlotInt::KeybordValue1, kSlotPresenter), -1);
    EXPECT_EQ(settings.GetSlotInt(ConfigSlotInt::KeybordValue1, kSlotMouse), 162);
    EXPECT_EQ(settings.GetSlotInt(ConfigSlotInt::SelectIndex, kSlotMouse), 4);
    EXPECT_EQ(settings.GetSlotInt(ConfigSlotInt::SelectType, kSlotMouse), 1);
    EXPECT_EQ(settings.GetImageUrl(kSlotPresenter, 2), "/tmp/a.png");
    EXPECT_EQ(settings.GetImageUrl(kSlotMouse, 2), "");
    EXPECT_EQ(settings.GetInt(ConfigInt::LogLevel), 0);
    EXPECT_EQ(settings.GetInt(ConfigInt::LogDeleteDay), 7);
    EXPECT_EQ(settings.GetInt(ConfigInt::IsFirstRun), 1);
}

TEST_F(ConfigStore, LoadAllResetsTheRuntimeLatchesAndWritesNothing)
{
    settings.FirstRunDefaults();
    const std::string content = ReadWholeFile(Config());
    settings.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 1);
    settings.SetRuntime(CConfigManager::Runtime::CurrentPage, 3);
    settings.LoadAll();
    EXPECT_EQ(settings.GetRuntime(CConfigManager::Runtime::CustomActionLatch), 0);
    EXPECT_EQ(settings.GetRuntime(CConfigManager::Runtime::CurrentPage), 3);
    EXPECT_EQ(ReadWholeFile(Config()), content);
}

TEST_F(ConfigStore, DerivedSizesFollowTheMonitorLayout)
{
    struct Case {
        std::vector<platform::ScreenRect> monitors;
        bool large;
        Size lens;
        Size dot;
        int scale;
    };
    const Case cases[] = {
        {{{0, 0, 1920, 1080}}, false, {540, 351}, {28, 28}, 1},
        {{{0, 0, 1366, 768}}, false, {384, 249}, {28, 28}, 1},
        {{{0, 0, 1920, 1080}, {1920, 0, 3840, 2160}}, true, {1280, 540}, {56, 56}, 2},
        // With two monitors the last one decides, but the small size still comes from the first.
        {{{0, 0, 3840, 2160}, {3840, 0, 1920, 1080}}, false, {1080, 702}, {28, 28}, 1},
        {{{0, 0, 2700, 1500}}, false, {750, 487}, {28, 28}, 1},
        {{{0, 0, 2701, 1500}}, true, {1280, 540}, {56, 56}, 2},
        {{}, false, {0, 0}, {28, 28}, 1},
    };
    for (const auto& c : cases) {
        screens.Set(c.monitors);
        settings.LoadAll();
        SCOPED_TRACE(c.monitors.size());
        EXPECT_EQ(settings.GetMonitorCount(), static_cast<int>(c.monitors.size()));
        EXPECT_EQ(settings.IsLargeScreen(), c.large);
        EXPECT_EQ(settings.GetEffectSize(CConfigManager::EffectSize::Spotlight), c.lens);
        EXPECT_EQ(settings.GetEffectSize(CConfigManager::EffectSize::ZoomLens), c.lens);
        EXPECT_EQ(settings.GetEffectSize(CConfigManager::EffectSize::LaserDot), c.dot);
        EXPECT_EQ(settings.GetLaserScale(), c.scale);
    }
}

TEST_F(ConfigStore, SettersWriteOneKeyOnlyWhenAskedTo)
{
    settings.FirstRunDefaults();
    const std::string start = ReadWholeFile(Config());
    EXPECT_EQ(settings.SetInt(ConfigInt::ZoomShowMouse, 1, false), 0);
    EXPECT_EQ(settings.GetInt(ConfigInt::ZoomShowMouse), 1);
    EXPECT_EQ(ReadWholeFile(Config()), start);

    EXPECT_EQ(settings.SetInt(ConfigInt::SearchlightShowMouse, 1, true), 0);
    EXPECT_EQ(settings.SetReal(ConfigReal::ZoomAspectRatio, 0.75f, true), 0);
    EXPECT_EQ(settings.SetSlotInt(ConfigSlotInt::Key, kSlotMouse, 11, true), 0);
    EXPECT_EQ(settings.SetSlotText(ConfigSlotText::WebUrl, kSlotPresenter, "http://a", true), 0);
    EXPECT_EQ(settings.SetImageUrl(kSlotMouse, 3, "/p.png", true), 0);
    EXPECT_EQ(ReadWholeFile(Config()), start + "\n[FunSet_Searchlight]\nShowMouse = 1\n"
                                               "\n[FunSet_Zoom]\nAspectRatio = 0.750000\n"
                                               "\n[CustomKey]\nImage3UrlForMouse = /p.png\nweburl = http://a\n"
                                               "keyForMouse = 11\n");
    EXPECT_EQ(CIniFile::ReadInt("FunSet_Zoom", "ShowMouse", Config(), -5), -5);
    EXPECT_EQ(settings.GetImageUrl(kSlotMouse, 3), "/p.png");

    // The function list stays six characters wide whatever it is given.
    settings.SetText(ConfigText::IsUsed, "11", true);
    EXPECT_EQ(CIniFile::ReadInt("FunSelect", "IsUsed", Config(), 0), 110000);

    // A failed write keeps the new value in memory and says so.
    fs::create_directory(Config() + ".tmp");
    EXPECT_EQ(settings.SetInt(ConfigInt::HotKey, 1, true), -1);
    EXPECT_EQ(settings.GetInt(ConfigInt::HotKey), 1);
}

TEST_F(ConfigStore, RestoreCopiesTheFactoryFileOverTheOneConfigFile)
{
    settings.FirstRunDefaults();
    settings.SetInt(ConfigInt::MouseDPI, 33, true);
    const std::string factory = "[FunSelect]\nNewVersion = 1\nSelValue = 123456\nIsUsed = 111110\n"
                                "Mouse_SelValue = 123456\nMouse_IsUsed = 111110\n\n"
                                "[FunSet_Set]\nMouseDPI = 80\n\n[UpdateVersion]\nIsFirstRun = 1\n";
    WriteWholeFile(dir.file("InitConfig.ini"), factory);

    EXPECT_EQ(settings.RestoreDefaults(), 1);
    EXPECT_EQ(ReadWholeFile(Config()), "[FunSelect]\nNewVersion = 1\nSelValue = 123456\nIsUsed = 111110\n"
                                       "Mouse_SelValue = 123456\nMouse_IsUsed = 111110\n\n"
                                       "[FunSet_Set]\nMouseDPI = 80\n\n[UpdateVersion]\nIsFirstRun = 0\n");
    // One configuration file, no second one spelt differently, no scratch left.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"InitConfig.ini", "config.ini"}));

    EXPECT_EQ(settings.FirstRunDefaults(), 80);
    settings.LoadAll();
    EXPECT_EQ(settings.GetSensitivity(), 80);
    EXPECT_EQ(settings.GetInt(ConfigInt::IsFirstRun), 0);
}

TEST_F(ConfigStore, RestoreWithoutAFactoryFileKeepsTheSettings)
{
    settings.FirstRunDefaults();
    settings.SetInt(ConfigInt::MouseDPI, 33, true);
    EXPECT_EQ(settings.RestoreDefaults(), 1);
    EXPECT_EQ(CIniFile::ReadInt("FunSet_Set", "MouseDPI", Config(), 0), 33);
    EXPECT_EQ(settings.GetInt(ConfigInt::IsFirstRun), 0);
}

TEST(ConfigManager, OneProcessWideInstance)
{
    EXPECT_EQ(&CConfigManager::GetInstance(), &CConfigManager::GetInstance());
    EXPECT_EQ(fs::path(CConfigManager::GetInstance().GetInstallFolder()), fs::path(fs::read_symlink("/proc/self/exe")).parent_path());
}

TEST_F(ConfigStore, ReloadingOneTextKeyPicksUpTheFileAndLeavesTheRestInMemory)
{
    WriteWholeFile(Config(), "[FunSelect]\nNewVersion = 1\nSelValue = 654321\nIsUsed = 100001\n"
                             "Mouse_SelValue = 123456\n");
    settings.FirstRunDefaults();
    settings.LoadAll();
    EXPECT_EQ(settings.GetFunctionUsedAt(1), 0);

    settings.SetText(ConfigText::SelValue, "123456", false);  // in memory only
    WriteWholeFile(Config(), "[FunSelect]\nNewVersion = 1\nSelValue = 654321\nIsUsed = 111110\n"
                             "Mouse_SelValue = 123456\n");
    settings.ReloadText(ConfigText::IsUsed);
    EXPECT_EQ(settings.GetFunctionUsedAt(1), 1);
    EXPECT_EQ(settings.GetFunctionAt(0), 1) << "other keys keep their in-memory value";

    settings.SetMonitorCount(3);
    EXPECT_EQ(settings.GetMonitorCount(), 3);
}
