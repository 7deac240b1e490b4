#pragma once
// The effect set the function manager is built with: every effect in its slot.

#include "EffectServices.h"
#include "FunctionMgr.h"
#include "IBlankScreen.h"

#include <functional>
#include <memory>

EffectSet CreateOnScreenEffects(const EffectServices& services);

// The blank-screen window, built on the UI thread with a cursor of its own; null (logged) when
// its skin cannot be built.
std::unique_ptr<IBlankScreen> CreateBlankScreen(const EffectServices& services, std::function<int()> deviceType);
