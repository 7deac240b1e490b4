#pragma once
// The advanced-features sub-page of the function setting page: the action of the remote's custom
// key for one of two device slots (0 presenter: holding page down; 1 mouse-type device: its custom
// button), the web address it opens, the keyboard shortcut it sends (recorded through the custom
// key functions' keyboard hook) and the blank screen's content (CBlankScreenSetting). Every change
// is written at once. UI thread; the recorder's text may arrive from the hook's thread.

#include "CBlankScreenSetting.h"
#include "DuilibButton.h"
#include "DuilibEdit.h"
#include "IPageUI.h"

#include <array>
#include <memory>
#include <string>

class CCustomKeyFunctions;

class CAdvancedFeaturesUI : public IPageUI {
public:
    static constexpr int kFunctionCount = 11;

    // `customKeys` (may be null: no recording) must outlive the page. `pickPicture` is handed to
    // the blank-screen setting window (a file dialog when empty).
    CAdvancedFeaturesUI(CPaintManagerUI* manager, HWND mainWnd, CCustomKeyFunctions* customKeys = nullptr,
                        CBlankScreenSetting::PickFile pickPicture = {});
    ~CAdvancedFeaturesUI() override;
    CAdvancedFeaturesUI(const CAdvancedFeaturesUI&) = delete;
    CAdvancedFeaturesUI& operator=(const CAdvancedFeaturesUI&) = delete;

    void StyleAndShow(bool show) override;
    void Notify(TNotifyUI& msg) override;
    void Reset() override { Refresh(); }
    void Refresh() override;

    // The action number radio button `fun` (1..11) stores for `slot`.
    static int ActionOf(int fun, int slot);
    // Letters, digits and - . / ? : @ & = _ + ~ # % only (an empty text too).
    static bool IsAcceptedWebAddress(const std::string& text);

    int GetSlot() const { return m_slot; }
    bool IsRecording() const { return m_bRecording; }
    // What the shortcut field shows.
    std::string GetShortcutText() const;

private:
    struct Link;
    void SelectSlot(int slot);
    void StopRecording();
    void ToggleRecording();
    void ShowShortcut(const std::string& text);
    void OnWebAddress();
    void OpenBlankScreenSetting();

    HWND m_hMainWnd;
    CCustomKeyFunctions* m_pCustomKeys;
    CBlankScreenSetting::PickFile m_pickPicture;
    std::shared_ptr<Link> m_link;  // how the recorder's text finds the page, or finds it gone
    int m_slot = 0;
    bool m_bShown = false;
    bool m_bRecording = false;

    CDuilibButton m_presenterSlot;
    CDuilibButton m_mouseSlot;
    CDuilibLabel m_title1;
    CDuilibLabel m_title3;
    std::array<CDuilibButton, kFunctionCount> m_radios;
    std::array<CDuilibLabel, kFunctionCount> m_texts;
    std::array<CDuilibLabel, kFunctionCount> m_lines;
    CDuilibButton m_blankSetting;
    CDuilibEdit m_webPage;
    CDuilibButton m_customButton;
};
