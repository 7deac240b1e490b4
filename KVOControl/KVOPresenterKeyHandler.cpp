#include "KVOPresenterKeyHandler.h"

#include "CPresenterService.h"

void KVOPresenterKeyHandler::DealWithPresenterKeyValue(uint8_t key, int dx, int dy)
{
    CPresenterService::GetInstance().DealWithPresenterKeyValue(key, KeyDelta{dx, dy});
}

void KVOPresenterKeyHandler::DealWithMouseKeyValue(uint8_t key, uint8_t button, int dx, int dy)
{
    CPresenterService::GetInstance().DealWithMouseKeyValue(key, button, KeyDelta{dx, dy});
}
