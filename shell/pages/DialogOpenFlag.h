#pragma once
// The flag other windows read to know a modal settings dialog is up: 1 while an instance lives,
// cleared however the dialog ends.

#include "ConfigManager.h"

class DialogOpenFlag {
public:
    DialogOpenFlag() { CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::DialogOpen, 1); }
    ~DialogOpenFlag() { CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::DialogOpen, 0); }
    DialogOpenFlag(const DialogOpenFlag&) = delete;
    DialogOpenFlag& operator=(const DialogOpenFlag&) = delete;
};
