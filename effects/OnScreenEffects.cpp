#include "OnScreenEffects.h"

#include "CPresenterDigitalLaser.h"
#include "CPresenterSearchLight.h"
#include "CPresenterPostil.h"
#include "KVOMagnifyManager.h"

EffectSet CreateOnScreenEffects(const EffectServices& services)
{
    EffectSet effects;
    effects[EFFECT_SPOTLIGHT] = std::make_unique<CPresenterSearchLight>(services);
    effects[EFFECT_LASER] = std::make_unique<CPresenterDigitalLaser>(services);
    effects[EFFECT_MAGNIFIER] = std::make_unique<KVOMagnifyManager>(services);
    effects[EFFECT_ANNOTATION] = std::make_unique<CPresenterPostil>(services);
    return effects;
}
