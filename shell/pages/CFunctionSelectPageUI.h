#pragma once
// Page 0 of the settings window: the order of the six functions the remote's function key cycles
// through (FunSelect/SelValue) and which of them take part (FunSelect/IsUsed), plus the hot-key
// choice of mouse-type devices. Every change is written at once and ends the running effect.

#include "DuilibButton.h"
#include "DuilibCombo.h"
#include "IPageUI.h"

#include <array>
#include <functional>
#include <string>

class CFunctionSelectPageUI : public IPageUI {
public:
    static constexpr int kPageIndex = 0;
    static constexpr int kRowCount = 6;

    struct Hooks {
        // Ends the presenter service's current mode, so a running effect stops.
        std::function<void()> endCurrentMode;
        // The connected device's type (0 presenter, 1 wireless mouse, 2 wired mouse); by default
        // the device manager's, -1 while there is none.
        std::function<int()> deviceType;
    };

    CFunctionSelectPageUI(CPaintManagerUI* manager, Hooks hooks);

    void StyleAndShow(bool show) override;
    void Notify(TNotifyUI& msg) override;
    void Reset() override { RefreshRows(); }
    void Refresh() override { RefreshRows(); }

    void RefreshRows();

private:
    struct Row {
        explicit Row(CPaintManagerUI* manager);
        CDuilibLabel bk;
        CDuilibLabel number;
        CDuilibLabel icon;
        CDuilibLabel line;
        CDuilibLabel text;
        CDuilibLabel toolTip;
        CDuilibButton up;
        CDuilibButton down;
        CDuilibButton select;
    };

    void StyleRow(int row, bool show);
    void ShowRow(int row, bool visible);
    void Toggle(int position);
    void Swap(int a, int b);
    void ResetOrder();
    // Writes both strings, refreshes the rows and ends the running effect.
    void Save(const std::string& selValue, const std::string& isUsed);
    void ShowHotKey(bool show);
    const std::string& FunctionName(int function);

    CPaintManagerUI* m_pManager;
    Hooks m_hooks;
    std::array<Row, kRowCount> m_rows;
    CDuilibLabel m_title;
    CDuilibButton m_reset;
    CDuilibLabel m_hotKeyLabel;
    CDuilibCombo m_hotKeyCombo;
    std::array<std::string, kRowCount> m_functionNames; // by function number - 1
    std::array<bool, kRowCount> m_functionNameLoaded{};
    bool m_bShown = false;
};
