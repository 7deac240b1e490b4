#pragma once
// General settings sub-page (4): cursor sensitivity and vibration strength, both also sent to a
// connected remote, the adaptive cursor switch and Restore defaults.

#include "DuilibButton.h"
#include "DuilibSlider.h"
#include "IPageUI.h"

#include <array>
#include <functional>
#include <string>

// The sensitivity command for a sensitivity level `m` (0..80): dpi and report rate, by the
// device manager's model bit and the device type.
struct SensitivityCommand {
    int dpi = 0;
    int rate = 0;
};
SensitivityCommand SensitivityFor(int m, int modelBit, bool mouseDevice);

class CSettingPageUI : public IPageUI {
public:
    // What the page needs of the device link and the windows; every member empty takes the
    // program's own (device manager, protocol commands, confirmation window).
    struct Hooks {
        std::function<void(int dpi, int rate)> sendSensitivity;
        std::function<void(int ms, int level)> sendMotor;
        // 0 presenter, 1 wireless mouse, 2 wired mouse; -1 when there is no device manager.
        std::function<int()> deviceType;
        std::function<int()> modelBit;
        // The cursor-speed value the adaptive mode leaves behind.
        std::function<int()> cursorSpeed;
        // Shows the restore confirmation with the question of ("reset", key); true when the
        // factory settings were restored.
        std::function<bool(const std::string& messageKey)> confirmRestore;
    };

    CSettingPageUI(CPaintManagerUI* manager, Hooks hooks = {});

    void StyleAndShow(bool show) override;
    void Notify(TNotifyUI& msg) override;
    void Reset() override { Refresh(); }
    void Refresh() override;

private:
    void SendSensitivity();
    void OnAdaptive();
    void OnRestore();

    CPaintManagerUI* m_pManager;
    Hooks m_hooks;
    CDuilibLabel m_speedTitle;
    CDuilibLabel m_slowText;
    CDuilibLabel m_fastText;
    CDuilibSlider m_speed;
    CDuilibLabel m_shockTitle;
    std::array<CDuilibButton, 3> m_shock;
    std::array<CDuilibLabel, 3> m_shockTexts;
    CDuilibLabel m_adaptiveLabel;
    CDuilibLabel m_adaptiveHint;
    CDuilibButton m_adaptive;
    CDuilibLabel m_restoreTitle;
    CDuilibLabel m_restoreHint;
    CDuilibButton m_restore;
};
