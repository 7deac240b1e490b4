// Cost of the configuration store on a realistic config.ini: every read opens and scans the
// file, so one getter is one file read; LoadAll is about forty of them and runs on the UI thread
// at start and after a restore.

#include "ConfigManager.h"
#include "IniFile.h"
#include "LanguageConfig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const char* const kConfig = "[FunSelect]\n"
                            "Mouse_SelValue = 123456\nSelValue = 123456\nNewVersion = 1\nMouse_IsUsed = 111110\n"
                            "IsUsed = 111110\nHotKey = 3\n\n"
                            "[FunSet_Set]\nMouseDPI = 80\nShockIntensity = 2\nCursorSpeedAdaptiveModel = 0\n\n"
                            "[FunSet_Searchlight]\nShowMouse = 0\nSaveStatu = 0\nBorderRound = 0.500000\n"
                            "AspectRatio = 0.500000\nAlphaVal = 100\n\n"
                            "[FunSet_Zoom]\nShowMouse = 0\nSaveStatu = 0\nBorderRound = 0.500000\n"
                            "AspectRatio = 0.500000\nAlphaVal = 100\nZoomMom = 2.000000\n\n"
                            "[FunSet_DigitalLaser]\nSaveStatu = 0\nDigitalLaserColor = 1\n\n"
                            "[FunSet_Postil]\nLineColor = 1\nLineSize = 6.000000\nMovementSpeed = 40\nIsControlSpeed = 0\n\n"
                            "[UpdateVersion]\nIsFirstRun = 1\n\n"
                            "[CustomKey]\nkey = 1\nkeyForMouse = 11\nweburl = https://www.example.org/presentations\n"
                            "weburlForMouse = \nkeybordValue1 = -1\nkeybordValue2 = -1\nkeybordValue1ForMouse = -1\n"
                            "keybordValue2ForMouse = -1\nSelectType = 1\nSelectIndex = 1\nSelectTypeForMouse = 1\n"
                            "SelectIndexForMouse = 1\nImage1Url = /home/user/Pictures/black.png\n"
                            "Image2Url = /home/user/Pictures/logo.png\nImage3Url = \nImage1UrlForMouse = \n"
                            "Image2UrlForMouse = \nImage3UrlForMouse = \n\n"
                            "[Log]\nLog_Level = 1\nLog_Delete_Day = 7\n";

class OneScreen final : public platform::IScreens {
public:
    std::vector<platform::ScreenRect> Monitors() const override { return {{0, 0, 1920, 1080}}; }
};

class BenchFolder {
public:
    BenchFolder() : m_path(std::filesystem::temp_directory_path() / ("bench_config." + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path);
        if (std::FILE* f = std::fopen(Config().c_str(), "wb")) {
            std::fputs(kConfig, f);
            std::fclose(f);
        }
    }
    ~BenchFolder() { std::filesystem::remove_all(m_path); }
    std::string Folder() const { return m_path.string(); }
    std::string Config() const { return (m_path / "config.ini").string(); }

private:
    std::filesystem::path m_path;
};

void BM_ReadOneKey(benchmark::State& state)
{
    BenchFolder folder;
    const std::string config = folder.Config();
    for (auto _ : state)
        benchmark::DoNotOptimize(CIniFile::ReadInt("Log", "Log_Delete_Day", config, 7));
}
BENCHMARK(BM_ReadOneKey);

void BM_GetImageUrl(benchmark::State& state)
{
    BenchFolder folder;
    CConfigManager settings;
    settings.SetInstallFolder(folder.Folder());
    settings.FirstRunDefaults();
    for (auto _ : state)
        benchmark::DoNotOptimize(settings.GetImageUrl(kSlotPresenter, 2));
}
BENCHMARK(BM_GetImageUrl);

void BM_LoadAll(benchmark::State& state)
{
    BenchFolder folder;
    OneScreen screens;
    CConfigManager settings;
    settings.SetInstallFolder(folder.Folder());
    settings.SetScreens(&screens);
    settings.FirstRunDefaults();
    for (auto _ : state)
        settings.LoadAll();
}
BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond);

void BM_SetterPersists(benchmark::State& state)
{
    BenchFolder folder;
    CConfigManager settings;
    settings.SetInstallFolder(folder.Folder());
    settings.FirstRunDefaults();
    int value = 0;
    for (auto _ : state)
        settings.SetInt(ConfigInt::MouseDPI, ++value % 80, true);
}
BENCHMARK(BM_SetterPersists)->Unit(benchmark::kMicrosecond);

// A slider drag on a slow disk: each step's cost on the UI thread when the disk sync of a write
// takes 20 ms (injected before the sync). Argument 0 writes on the caller's thread, 1 on the
// settings writer's thread, as the program does. A frame is 16 ms; every step must stay below it.
bool SlowDiskSync(CIniFile::FaultPoint point)
{
    if (point == CIniFile::FaultPoint::Sync)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return false;
}

void BM_SliderStepOnSlowDisk(benchmark::State& state)
{
    BenchFolder folder;
    CConfigManager config;
    config.SetInstallFolder(folder.Folder());
    config.FirstRunDefaults();
    config.SetBackgroundWrites(state.range(0) != 0);
    CIniFile::SetFaultHook(SlowDiskSync);
    int step = 30;
    for (auto _ : state) {
        config.SetReal(ConfigReal::SearchlightAspectRatio, static_cast<float>(step) / 100.0f, true);
        step = step == 100 ? 30 : step + 1;
    }
    config.SetBackgroundWrites(false);
    CIniFile::SetFaultHook(nullptr);
}
BENCHMARK(BM_SliderStepOnSlowDisk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(60);

void BM_LanguageLookup(benchmark::State& state)
{
    BenchFolder folder;
    std::filesystem::create_directories(std::filesystem::path(folder.Folder()) / "ImgRes/language");
    std::filesystem::copy_file(folder.Config(),
                               std::filesystem::path(folder.Folder()) / CLanguageConfig::LanguageFile(2));
    CLanguageConfig language;
    language.SetBaseFolder(folder.Folder());
    for (auto _ : state)
        benchmark::DoNotOptimize(language.GetText("CustomKey", "weburl"));
}
BENCHMARK(BM_LanguageLookup);

} // namespace

BENCHMARK_MAIN();
