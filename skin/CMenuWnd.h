#pragma once
// A small pop-up menu, built from a list of items or from a skin file of the form
//   <Menu><MenuElement name="setting" text="Settings"/>...</Menu>
// TrackPopup shows it at a screen point and waits for a choice; GetClickedMenuName then tells
// which item was chosen (empty when the menu was dismissed).

#include <string>
#include <vector>

#include "CDuiString.h"
#include "SkinTypes.h"

class CMenuWnd {
public:
    CMenuWnd();
    ~CMenuWnd();

    void AddItem(const CDuiString& name, const CDuiString& text, bool enabled = true);
    void AddSeparator();
    void Clear();
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    // Reads the items from a skin file relative to the resource path; false when it fails.
    bool LoadFromSkin(const CDuiString& skinFile);
    // Shows the menu at `pt` (screen coordinates) and returns once it closes; true when an
    // item was chosen.
    bool TrackPopup(POINT pt);
    CDuiString GetClickedMenuName() const { return m_sClicked; }
    // For automation and tests: as if the user chose the named item.
    bool Choose(const CDuiString& name);

private:
    struct Item {
        std::string name;
        std::string text;
        bool enabled = true;
        bool separator = false;
    };
    std::vector<Item> m_items;
    CDuiString m_sClicked;
};
