#include "DuilibCombo.h"

bool CDuilibCombo::SelectItem(int index, bool triggerEvent)
{
    auto* combo = As<CComboUI>();
    return combo != nullptr && combo->SelectItem(index, false, triggerEvent);
}

int CDuilibCombo::GetCurSel() const
{
    const auto* combo = As<CComboUI>();
    return combo != nullptr ? combo->GetCurSel() : -1;
}
