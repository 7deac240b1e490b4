#pragma once
// A combo box wrapper.

#include "DuilibControl.h"

class CDuilibCombo : public CDuilibControl {
public:
    using CDuilibControl::CDuilibControl;

    // False when there is no such entry.
    bool SelectItem(int index, bool triggerEvent = true);
    // The selected entry, -1 when none.
    int GetCurSel() const;
};
