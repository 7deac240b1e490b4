#pragma once
// The effect set the function manager is built with: spotlight and digital laser in their
// slots (the other effects are still to come and stay empty).

#include "EffectServices.h"
#include "FunctionMgr.h"

EffectSet CreateOnScreenEffects(const EffectServices& services);
