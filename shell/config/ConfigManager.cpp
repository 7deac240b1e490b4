#include "ConfigManager.h"

#include "IniFile.h"
#include "KVOLog.h"

#include "IniText.h"

#include <filesystem>
#include <system_error>
#include <type_traits>
#include <vector>

namespace {

constexpr size_t kFunctionCount = 6;
constexpr int kLargeScreenWidth = 2700;

size_t Index(auto key) { return static_cast<size_t>(key); }
size_t SlotIndex(int slot) { return slot == kSlotPresenter ? 0 : 1; }

std::string ExecutableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return exe.parent_path().string();
    return std::filesystem::current_path(ec).string();
}

// The function list is six characters wide; a shorter hand-edited value would otherwise make
// callers read past its end.
std::string KeepSixCharacters(std::string value)
{
    value.resize(kFunctionCount, '0');
    return value;
}

bool IsFunctionList(ConfigText key) { return key == ConfigText::SelValue || key == ConfigText::IsUsed; }

int DigitAt(const std::string& list, int position)
{
    if (position < 0 || static_cast<size_t>(position) >= list.size())
        return 0;
    return list[static_cast<size_t>(position)] - '0';
}

} // namespace

CConfigManager& CConfigManager::GetInstance()
{
    // Created on first use; the language guarantees one thread does it while others wait.
    static CConfigManager instance;
    return instance;
}

CConfigManager::CConfigManager() : m_installFolder(ExecutableFolder())
{
    for (size_t i = 0; i < m_ints.size(); ++i)
        m_ints[i] = KeyInfo(static_cast<ConfigInt>(i)).def;
    for (size_t i = 0; i < m_reals.size(); ++i)
        m_reals[i] = KeyInfo(static_cast<ConfigReal>(i)).def;
    for (size_t i = 0; i < m_texts.size(); ++i)
        m_texts[i] = KeyInfo(static_cast<ConfigText>(i)).def;
    for (size_t i = 0; i < m_slotInts.size(); ++i)
        m_slotInts[i].fill(KeyInfo(static_cast<ConfigSlotInt>(i)).def);
    for (size_t i = 0; i < m_slotTexts.size(); ++i)
        m_slotTexts[i].fill(KeyInfo(static_cast<ConfigSlotText>(i)).def);
}

void CConfigManager::SetInstallFolder(const std::string& folder)
{
    Write(m_installFolder, folder);
}

std::string CConfigManager::GetInstallFolder() const { return Read(m_installFolder); }

void CConfigManager::SetConfigFolder(const std::string& folder) { Write(m_configFolder, folder); }

std::string CConfigManager::GetConfigPath() const { return Read(m_configPath); }

void CConfigManager::SetScreens(const platform::IScreens* screens)
{
    Write(m_screens, screens);
}

void CConfigManager::SetBackgroundWrites(bool on)
{
    std::shared_ptr<CConfigWriter> old;
    {
        std::lock_guard lock(m_lock);
        if ((m_writer != nullptr) == on)
            return;
        old = std::exchange(m_writer, on ? std::make_shared<CConfigWriter>() : nullptr);
    }
    // Dropping the writer writes what it holds and ends its thread.
}

void CConfigManager::FlushWrites()
{
    if (const std::shared_ptr<CConfigWriter> writer = Read(m_writer))
        writer->Flush();
}

int CConfigManager::Persist(const char* section, const std::string& key, const std::string& value) const
{
    if (const std::shared_ptr<CConfigWriter> writer = Read(m_writer)) {
        writer->Write(GetConfigPath(), section, key, value);
        return 0;
    }
    return CIniFile::WriteString(section, key, value, GetConfigPath());
}

std::string CConfigManager::ReadFileText(const char* section, const std::string& key, const std::string& def) const
{
    std::string value;
    const std::string file = GetConfigPath();
    if (const std::shared_ptr<CConfigWriter> writer = Read(m_writer); writer && writer->Pending(file, section, key, value))
        return value;
    CIniFile::ReadString(section, key, def, value, file);
    return value;
}

int CConfigManager::FirstRunDefaults()
{
    FlushWrites();
    const std::string folder = Read(m_configFolder);
    const std::string path = (std::filesystem::path(folder.empty() ? GetInstallFolder() : folder) / "config.ini").string();
    Write(m_configPath, path);
    if (GetInt(ConfigInt::NewVersion) != 1) {
        SetText(ConfigText::IsUsed, "111110", true);
        SetText(ConfigText::MouseIsUsed, "111110", true);
        SetInt(ConfigInt::NewVersion, 1, true);
    }
    if (GetText(ConfigText::MouseSelValue).empty()) {
        SetText(ConfigText::SelValue, "123456", true);
        SetText(ConfigText::IsUsed, "111110", true);
        SetText(ConfigText::MouseSelValue, "123456", true);
        SetText(ConfigText::MouseIsUsed, "111110", true);
    }
    const int dpi = CIniFile::ReadInt("FunSet_Set", "MouseDPI", GetConfigPath(), KeyInfo(ConfigInt::MouseDPI).def);
    SetInt(ConfigInt::MouseDPI, dpi, false);
    WriteLog(KVO_LOG_INFO, "CConfigManager::FirstRunDefaults %s MouseDPI:%d", GetConfigPath().c_str(), dpi);
    return dpi;
}

void CConfigManager::LoadAll()
{
    FlushWrites();
    const std::string file = GetConfigPath();
    ReportFileState(file);
    auto loadInt = [&](ConfigInt key) {
        const auto& info = KeyInfo(key);
        SetInt(key, CIniFile::ReadInt(info.section, info.key, file, info.def), false);
    };
    auto loadReal = [&](ConfigReal key) {
        const auto& info = KeyInfo(key);
        SetReal(key, CIniFile::ReadFloat(info.section, info.key, file, info.def), false);
    };
    auto loadText = [&](ConfigText key) { ReloadText(key, file); };
    auto loadSlot = [&](int slot, auto... keys) {
        auto loadOne = [&](auto key) {
            const auto& info = KeyInfo(key);
            const std::string name = SlotKeyName(info.key, slot);
            if constexpr (std::is_same_v<decltype(key), ConfigSlotInt>) {
                SetSlotInt(key, slot, CIniFile::ReadInt(info.section, name, file, info.def), false);
            } else {
                std::string value;
                CIniFile::ReadString(info.section, name, info.def, value, file);
                SetSlotText(key, slot, value, false);
            }
        };
        (loadOne(keys), ...);
    };

    loadText(ConfigText::SelValue);
    loadText(ConfigText::IsUsed);
    LoadMonitorLayout();
    loadReal(ConfigReal::SearchlightBorderRound);
    loadReal(ConfigReal::SearchlightAspectRatio);
    loadInt(ConfigInt::SearchlightAlphaVal);
    loadInt(ConfigInt::SearchlightShowMouse);
    loadInt(ConfigInt::SearchlightSaveStatu);
    SetEffectSize(EffectSize::Spotlight, StartingLensSize());
    loadReal(ConfigReal::ZoomBorderRound);
    loadReal(ConfigReal::ZoomAspectRatio);
    loadInt(ConfigInt::ZoomAlphaVal);
    loadInt(ConfigInt::ZoomShowMouse);
    loadInt(ConfigInt::ZoomSaveStatu);
    loadReal(ConfigReal::ZoomMom);
    ResetLaserDot();
    loadInt(ConfigInt::DigitalLaserColor);
    loadInt(ConfigInt::DigitalLaserSaveStatu);
    SetEffectSize(EffectSize::ZoomLens, StartingLensSize());
    loadInt(ConfigInt::LineSize); // older versions wrote it as a real: "6.000000" reads as 6
    loadInt(ConfigInt::LineColor);
    loadInt(ConfigInt::IsControlSpeed);
    SetInt(ConfigInt::IsControlSpeed, GetInt(ConfigInt::IsControlSpeed) != 0 ? 1 : 0, false);
    loadInt(ConfigInt::MovementSpeed);
    loadInt(ConfigInt::CursorSpeedAdaptiveModel);
    loadInt(ConfigInt::MouseDPI);
    loadInt(ConfigInt::ShockIntensity);
    loadSlot(kSlotPresenter, ConfigSlotInt::Key, ConfigSlotText::WebUrl, ConfigSlotInt::KeybordValue1,
             ConfigSlotInt::KeybordValue2);
    loadSlot(kSlotMouse, ConfigSlotInt::Key, ConfigSlotText::WebUrl, ConfigSlotInt::KeybordValue1,
             ConfigSlotInt::KeybordValue2);
    SetRuntime(Runtime::CustomActionLatch, 0);
    SetRuntime(Runtime::SlideShowStarted, 0);
    SetRuntime(Runtime::RecordingShortcut, 0);
    loadInt(ConfigInt::LogLevel);
    loadInt(ConfigInt::LogDeleteDay);
    loadInt(ConfigInt::HotKey);
    loadSlot(kSlotPresenter, ConfigSlotInt::SelectType, ConfigSlotInt::SelectIndex);
    loadSlot(kSlotMouse, ConfigSlotInt::SelectType, ConfigSlotInt::SelectIndex);
}

void CConfigManager::ReportFileState(const std::string& file)
{
    std::string content;
    switch (CIniFile::ReadWholeFile(file, content)) {
    case CIniFile::ReadResult::Missing:
        WriteLog(KVO_LOG_WARN, "CConfigManager::LoadAll %s missing, defaults used", file.c_str());
        break;
    case CIniFile::ReadResult::Failed:
        WriteLog(KVO_LOG_ERROR, "CConfigManager::LoadAll %s cannot be read, defaults used", file.c_str());
        break;
    case CIniFile::ReadResult::Ok:
        if (content.empty())
            WriteLog(KVO_LOG_WARN, "CConfigManager::LoadAll %s is empty, defaults used", file.c_str());
        break;
    }
}

void CConfigManager::LoadMonitorLayout()
{
    std::lock_guard lock(m_lock);
    const auto monitors = m_screens != nullptr ? m_screens->Monitors() : std::vector<platform::ScreenRect>();
    m_monitorCount = static_cast<int>(monitors.size());
    if (monitors.empty()) {
        WriteLog(KVO_LOG_ERROR, "CConfigManager::LoadAll no monitor known");
        m_largeScreen = false;
        m_firstMonitorHeight = 0;
        return;
    }
    const auto& presentation = monitors.size() >= 2 ? monitors.back() : monitors.front();
    m_largeScreen = presentation.width > kLargeScreenWidth;
    m_firstMonitorHeight = monitors.front().height;
    WriteLog(KVO_LOG_INFO, "CConfigManager::LoadAll monitors:%d presentation width:%d first height:%d",
             m_monitorCount, presentation.width, m_firstMonitorHeight);
}

CConfigManager::Size CConfigManager::StartingLensSize() const
{
    std::lock_guard lock(m_lock);
    if (m_largeScreen)
        return {1280, 540};
    const int width = m_firstMonitorHeight / 2;
    return {width, width * 65 / 100};
}

void CConfigManager::ResetLaserDot()
{
    std::lock_guard lock(m_lock);
    m_effectSizes[Index(EffectSize::LaserDot)] = m_largeScreen ? Size{56, 56} : Size{28, 28};
    m_laserScale = m_largeScreen ? 2 : 1;
}

int CConfigManager::RestoreDefaults()
{
    // A slider's last value must not land over the restored file.
    FlushWrites();
    const std::filesystem::path folder(GetInstallFolder());
    const std::string source = (folder / "InitConfig.ini").string();
    std::string config = GetConfigPath();
    if (config.empty())
        config = (folder / "config.ini").string();

    std::string content;
    switch (CIniFile::ReadWholeFile(source, content)) {
    case CIniFile::ReadResult::Ok:
        if (CIniFile::ReplaceFile(config, content) == 0)
            WriteLog(KVO_LOG_INFO, "CConfigManager::RestoreDefaults %s copied to %s", source.c_str(), config.c_str());
        else
            WriteLog(KVO_LOG_ERROR, "CConfigManager::RestoreDefaults copying %s failed, %s kept", source.c_str(),
                     config.c_str());
        break;
    case CIniFile::ReadResult::Missing:
        WriteLog(KVO_LOG_WARN, "CConfigManager::RestoreDefaults %s missing, %s kept", source.c_str(), config.c_str());
        break;
    case CIniFile::ReadResult::Failed:
        WriteLog(KVO_LOG_ERROR, "CConfigManager::RestoreDefaults cannot read %s, %s kept", source.c_str(),
                 config.c_str());
        break;
    }
    CIniFile::WriteInt(KeyInfo(ConfigInt::IsFirstRun).section, KeyInfo(ConfigInt::IsFirstRun).key, 0, config);
    return 1;
}

int CConfigManager::GetInt(ConfigInt key) const
{
    const auto& info = KeyInfo(key);
    if (!info.cached)
        return CIniText::RealToInt(CIniText::ParseReal(ReadFileText(info.section, info.key, CIniText::FormatInt(info.def))));
    std::lock_guard lock(m_lock);
    return m_ints[Index(key)];
}

int CConfigManager::SetInt(ConfigInt key, int value, bool persist)
{
    Write(m_ints[Index(key)], value);
    const auto& info = KeyInfo(key);
    return persist ? Persist(info.section, info.key, CIniText::FormatInt(value)) : 0;
}

float CConfigManager::GetReal(ConfigReal key) const { return Read(m_reals[Index(key)]); }

int CConfigManager::SetReal(ConfigReal key, float value, bool persist)
{
    Write(m_reals[Index(key)], value);
    const auto& info = KeyInfo(key);
    return persist ? Persist(info.section, info.key, CIniText::FormatReal(value)) : 0;
}

std::string CConfigManager::GetText(ConfigText key) const
{
    const auto& info = KeyInfo(key);
    if (!info.cached)
        return ReadFileText(info.section, info.key, info.def);
    std::lock_guard lock(m_lock);
    return m_texts[Index(key)];
}

int CConfigManager::SetText(ConfigText key, const std::string& value, bool persist)
{
    const std::string kept = IsFunctionList(key) ? KeepSixCharacters(value) : value;
    Write(m_texts[Index(key)], kept);
    return persist ? Persist(KeyInfo(key).section, KeyInfo(key).key, kept) : 0;
}

int CConfigManager::GetSlotInt(ConfigSlotInt key, int slot) const
{
    return Read(m_slotInts[Index(key)][SlotIndex(slot)]);
}

int CConfigManager::SetSlotInt(ConfigSlotInt key, int slot, int value, bool persist)
{
    Write(m_slotInts[Index(key)][SlotIndex(slot)], value);
    const auto& info = KeyInfo(key);
    return persist ? Persist(info.section, SlotKeyName(info.key, slot), CIniText::FormatInt(value)) : 0;
}

std::string CConfigManager::GetSlotText(ConfigSlotText key, int slot) const
{
    return Read(m_slotTexts[Index(key)][SlotIndex(slot)]);
}

int CConfigManager::SetSlotText(ConfigSlotText key, int slot, const std::string& value, bool persist)
{
    Write(m_slotTexts[Index(key)][SlotIndex(slot)], value);
    const auto& info = KeyInfo(key);
    return persist ? Persist(info.section, SlotKeyName(info.key, slot), value) : 0;
}

std::string CConfigManager::GetImageUrl(int slot, int index) const
{
    return ReadFileText(kCustomKeySection, ImageUrlKeyName(index, slot), "");
}

int CConfigManager::SetImageUrl(int slot, int index, const std::string& value, bool persist)
{
    return persist ? Persist(kCustomKeySection, ImageUrlKeyName(index, slot), value) : 0;
}

int CConfigManager::GetFunctionAt(int position) const
{
    std::lock_guard lock(m_lock);
    return DigitAt(m_texts[Index(ConfigText::SelValue)], position);
}

int CConfigManager::GetFunctionUsedAt(int position) const
{
    std::lock_guard lock(m_lock);
    return DigitAt(m_texts[Index(ConfigText::IsUsed)], position);
}

CConfigManager::Size CConfigManager::GetEffectSize(EffectSize which) const { return Read(m_effectSizes[Index(which)]); }

void CConfigManager::SetEffectSize(EffectSize which, Size size)
{
    Write(m_effectSizes[Index(which)], size);
}

int CConfigManager::GetLaserScale() const { return Read(m_laserScale); }

bool CConfigManager::IsLargeScreen() const { return Read(m_largeScreen); }

int CConfigManager::GetMonitorCount() const { return Read(m_monitorCount); }

void CConfigManager::SetMonitorCount(int count) { Write(m_monitorCount, count); }

void CConfigManager::ReloadText(ConfigText key) { ReloadText(key, GetConfigPath()); }

void CConfigManager::ReloadText(ConfigText key, const std::string& file)
{
    const auto& info = KeyInfo(key);
    std::string value;
    CIniFile::ReadString(info.section, info.key, info.def, value, file);
    SetText(key, value, false);
}

int CConfigManager::GetRuntime(Runtime what) const { return Read(m_runtime[Index(what)]); }

void CConfigManager::SetRuntime(Runtime what, int value)
{
    Write(m_runtime[Index(what)], value);
}
