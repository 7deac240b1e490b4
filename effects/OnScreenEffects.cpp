#include "OnScreenEffects.h"

#include "CPresenterDigitalLaser.h"
#include "CPresenterSearchLight.h"

EffectSet CreateOnScreenEffects(const EffectServices& services)
{
    EffectSet effects;
    effects[EFFECT_SPOTLIGHT] = std::make_unique<CPresenterSearchLight>(services);
    effects[EFFECT_LASER] = std::make_unique<CPresenterDigitalLaser>(services);
    return effects;
}
