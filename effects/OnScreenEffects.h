#pragma once
// The effect set the function manager is built with: spotlight and digital laser in their
// slots (the other effects are still to come and stay empty).

#include "EffectServices.h"
#include "FunctionMgr.h"
#include "IBlankScreen.h"

#include <functional>
#include <memory>

EffectSet CreateOnScreenEffects(const EffectServices& services);

// The blank-screen window, built on the UI thread with a cursor of its own; null (logged) when
// its skin cannot be built.
std::unique_ptr<IBlankScreen> CreateBlankScreen(const EffectServices& services, std::function<int()> deviceType);
