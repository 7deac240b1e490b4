#pragma once
// An edit field wrapper.

#include "DuilibControl.h"

class CDuilibEdit : public CDuilibControl {
public:
    using CDuilibControl::CDuilibControl;

    std::string GetText() const;
    void SetText(const std::string& text);
    void SetReadOnly(bool readOnly);
};
