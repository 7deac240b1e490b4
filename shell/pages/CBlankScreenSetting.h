#pragma once
// The blank-screen setting window ("BlankScreenSetting.xml"): what the blank screen of one device
// slot shows, one of ten colours or one of three pictures. Pictures are added (into the first
// empty picture slot, else over the chosen one) and deleted at once; OK writes the chosen type
// (1 colour, 0 picture) and index to SelectType/SelectIndex (or their ForMouse forms) and closes;
// Cancel and the close button write no choice. UI thread.

#include "DuilibButton.h"

#include <array>
#include <functional>
#include <string>

class CBlankScreenSetting : public WindowImplBase {
public:
    static constexpr int kColourCount = 10;
    static constexpr int kPictureCount = 3;
    static constexpr int kTypePicture = 0;
    static constexpr int kTypeColour = 1;

    // Asks the user for a picture file; empty when nothing was chosen.
    using PickFile = std::function<std::string()>;

    // `slot`: 0 presenter, 1 mouse-type device. `pick` defaults to a file dialog.
    CBlankScreenSetting(HWND owner, int slot, PickFile pick = {});

    // Shows the window centred and modal, owned by `owner`; the settings object's dialog-open
    // flag is 1 meanwhile. True when OK closed it.
    static bool Edit(HWND owner, int slot, PickFile pick = {});

    // Only names ending in .png, .jpg or .bmp (any letter case) are taken as pictures.
    static bool IsPictureName(const std::string& path);

    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;

    int GetChosenType() const { return m_type; }
    int GetChosenIndex() const { return m_index; }
    bool IsConfirmed() const { return m_bConfirmed; }
    // Asks for a picture and stores it as picture `index` (1 to 3), or with 0 in the first empty
    // slot, else over the chosen picture; false when nothing usable was chosen.
    bool InsertPicture(int index = 0);

private:
    std::string PickWithDialog() const;
    bool HasPicture(int index) const;
    void Refresh();

    HWND m_hOwner;
    int m_slot;
    PickFile m_pick;
    int m_type = kTypeColour;
    int m_index = 1;
    bool m_bConfirmed = false;
    CDuilibLabel m_title;
    CDuilibLabel m_colourLabel;
    CDuilibLabel m_insertLabel;
    CDuilibButton m_insertButton;
    CDuilibButton m_okButton;
    CDuilibButton m_cancelButton;
    std::array<CDuilibButton, kColourCount> m_colours;
    std::array<CDuilibButton, kPictureCount> m_pictures;
    std::array<CDuilibButton, kPictureCount> m_deletes;
};
