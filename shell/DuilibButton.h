#pragma once
// A button wrapper: texts and styles as every wrapper, plus its tooltip and its look (normal
// image and text colours), which pages switch to show a state.

#include "DuilibControl.h"

class CDuilibButton : public CDuilibControl {
public:
    using CDuilibControl::CDuilibControl;

    // The tooltip from the language table.
    void SetToolTip(const std::string& section, const std::string& key);
    void SetNormalImage(const std::string& image);
    void SetForeImage(const std::string& image);
    void SetNormalImageAndTextColors(const std::string& normalImage, DWORD textColor, DWORD hotTextColor);
};
