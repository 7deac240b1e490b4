#pragma once
// The settings object: the in-memory value of every configuration key the program reads, the
// sizes derived from the monitor layout, and run-time state that other parts keep here. One
// process-wide instance (GetInstance); tests may make their own. Every access takes the lock.
// A setter stores the value and, when `persist` is set, writes that one key to config.ini at once;
// it returns the write's result (0, or -1 when the file could not be written; the new value stays
// in memory either way). With background writes on, the write goes to the writer's thread and a
// setter returns 0 at once; reads of the file see the pending values, and loading or restoring
// waits for the writes first.

#include "ConfigKeys.h"
#include "ConfigWriter.h"
#include "IScreens.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

class CConfigManager {
public:
    static CConfigManager& GetInstance();

    CConfigManager();
    CConfigManager(const CConfigManager&) = delete;
    CConfigManager& operator=(const CConfigManager&) = delete;

    // The folder of config.ini and InitConfig.ini. Defaults to the executable's folder.
    void SetInstallFolder(const std::string& folder);
    std::string GetInstallFolder() const;
    // The folder of config.ini when it is not the install folder (a system install keeps each
    // user's settings in the user's own folder). Empty: the install folder.
    void SetConfigFolder(const std::string& folder);
    // Empty until FirstRunDefaults has run.
    std::string GetConfigPath() const;
    // The monitor layout used by LoadAll. The caller keeps it alive.
    void SetScreens(const platform::IScreens* screens);
    // Keys are written on a thread of their own (on), or on the caller's (off, the default).
    // Turning it off writes what is queued first.
    void SetBackgroundWrites(bool on);
    // Returns once every key set so far is on disk.
    void FlushWrites();

    // Sets the config.ini path in the install folder, writes the function-list defaults when the
    // file lacks them, and returns MouseDPI, the sensitivity value.
    int FirstRunDefaults();
    // Reads every cached key and computes the derived sizes. Writes nothing.
    void LoadAll();
    // Copies InitConfig.ini over config.ini (when it exists) and writes IsFirstRun = 0. The caller
    // then runs FirstRunDefaults and LoadAll again. Always 1.
    int RestoreDefaults();

    int GetInt(ConfigInt key) const;
    int SetInt(ConfigInt key, int value, bool persist);
    float GetReal(ConfigReal key) const;
    int SetReal(ConfigReal key, float value, bool persist);
    std::string GetText(ConfigText key) const;
    int SetText(ConfigText key, const std::string& value, bool persist);
    int GetSlotInt(ConfigSlotInt key, int slot) const;
    int SetSlotInt(ConfigSlotInt key, int slot, int value, bool persist);
    std::string GetSlotText(ConfigSlotText key, int slot) const;
    int SetSlotText(ConfigSlotText key, int slot, const std::string& value, bool persist);
    // CustomKey "Image%dUrl": read from the file on every call.
    std::string GetImageUrl(int slot, int index) const;
    int SetImageUrl(int slot, int index, const std::string& value, bool persist);

    // The sensitivity value sent to the device: MouseDPI.
    int GetSensitivity() const { return GetInt(ConfigInt::MouseDPI); }

    // The function list: SelValue and IsUsed are kept as six characters; a position's digit is
    // the character minus '0'. Positions outside 0..5 read as 0.
    int GetFunctionAt(int position) const;
    int GetFunctionUsedAt(int position) const;

    // Sizes derived from the monitor layout at load; the effects change them in memory only.
    struct Size {
        int width = 0;
        int height = 0;
        bool operator==(const Size&) const = default;
    };
    enum class EffectSize { Spotlight, ZoomLens, LaserDot, Count };
    Size GetEffectSize(EffectSize which) const;
    void SetEffectSize(EffectSize which, Size size);
    int GetLaserScale() const;
    // The first monitor, or the last of two or more, is wider than 2700 pixels.
    bool IsLargeScreen() const;
    int GetMonitorCount() const;
    // The device watch keeps the count it last saw here.
    void SetMonitorCount(int count);
    // Reads one text key from config.ini again (the link reloads IsUsed when it starts).
    void ReloadText(ConfigText key);

    enum class Runtime {
        CurrentPage,        // index of the settings page shown
        DeviceKind,         // device type of the connected device
        DialogOpen,         // the restore (or another modal settings) dialog is open
        CustomActionLatch,  // a once-per-hold custom action ran; cleared at key release
        SlideShowStarted,   // the slide-show toggle ran during this hold
        RecordingShortcut,  // the shortcut field waits for keys
        SettingsWindowHeld, // a settings page holds an effect preview: do not hide the window
        HookSuppression,    // non-zero: the Fun+Up flag is not passed to the keyboard hook
        Count
    };
    int GetRuntime(Runtime what) const;
    void SetRuntime(Runtime what, int value);

private:
    int Persist(const char* section, const std::string& key, const std::string& value) const;
    // One key of config.ini, or its value still on the way there.
    std::string ReadFileText(const char* section, const std::string& key, const std::string& def) const;
    static void ReportFileState(const std::string& file);
    void LoadMonitorLayout();
    void ReloadText(ConfigText key, const std::string& file);
    // Spotlight and magnifier lens start alike: 1280 x 540 on a large screen, else half the first
    // monitor's height by 0.65 of that.
    Size StartingLensSize() const;
    void ResetLaserDot();
    template <class T>
    T Read(const T& field) const
    {
        std::lock_guard lock(m_lock);
        return field;
    }
    template <class T, class V>
    void Write(T& field, V&& value)
    {
        std::lock_guard lock(m_lock);
        field = std::forward<V>(value);
    }

    mutable std::mutex m_lock;
    std::string m_installFolder;
    std::string m_configFolder;
    std::string m_configPath;
    const platform::IScreens* m_screens = nullptr;
    std::shared_ptr<CConfigWriter> m_writer;

    std::array<int, static_cast<size_t>(ConfigInt::Count)> m_ints{};
    std::array<float, static_cast<size_t>(ConfigReal::Count)> m_reals{};
    std::array<std::string, static_cast<size_t>(ConfigText::Count)> m_texts;
    std::array<std::array<int, 2>, static_cast<size_t>(ConfigSlotInt::Count)> m_slotInts{};
    std::array<std::array<std::string, 2>, static_cast<size_t>(ConfigSlotText::Count)> m_slotTexts;
    std::array<int, static_cast<size_t>(Runtime::Count)> m_runtime{};

    std::array<Size, static_cast<size_t>(EffectSize::Count)> m_effectSizes{};
    int m_laserScale = 1;
    bool m_largeScreen = false;
    int m_monitorCount = 0;
    int m_firstMonitorHeight = 0;
};
