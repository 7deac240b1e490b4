#include "OnScreenEffects.h"

#include "CBlankScreenUI.h"
#include "CPresenterDigitalLaser.h"
#include "CPresenterSearchLight.h"
#include "CPresenterPostil.h"
#include "CPresenterScreenShot.h"
#include "KVOMagnifyManager.h"
#include "SessionBackends.h"

EffectSet CreateOnScreenEffects(const EffectServices& services)
{
    EffectSet effects;
    effects[EFFECT_SPOTLIGHT] = std::make_unique<CPresenterSearchLight>(services);
    effects[EFFECT_LASER] = std::make_unique<CPresenterDigitalLaser>(services);
    effects[EFFECT_MAGNIFIER] = std::make_unique<KVOMagnifyManager>(services);
    effects[EFFECT_ANNOTATION] = std::make_unique<CPresenterPostil>(services);
    effects[EFFECT_SCREENSHOT] = std::make_unique<CPresenterScreenShot>(services);
    return effects;
}

std::unique_ptr<IBlankScreen> CreateBlankScreen(const EffectServices& services, std::function<int()> deviceType)
{
    auto window = std::make_unique<CBlankScreenUI>(services, platform::MakeCursor(), std::move(deviceType));
    if (!window->Build())
        return nullptr;
    return window;
}
