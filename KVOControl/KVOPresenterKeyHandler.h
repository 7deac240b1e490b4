#pragma once
// Hands the motion thread's events to the process-wide presenter service.

#include "KVOCursorMotion.h"

class KVOPresenterKeyHandler final : public IKVOKeyHandler {
public:
    void DealWithPresenterKeyValue(uint8_t key, int dx, int dy) override;
    void DealWithMouseKeyValue(uint8_t key, uint8_t button, int dx, int dy) override;
};
