#include "IFunctionToolTip.h"

#include <atomic>

namespace {

std::atomic<IFunctionToolTip*> g_pFunctionToolTip{nullptr};

}  // namespace

void SetFunctionToolTip(IFunctionToolTip* tooltip) { g_pFunctionToolTip.store(tooltip); }

IFunctionToolTip* GetFunctionToolTip() { return g_pFunctionToolTip.load(); }

void ClearFunctionToolTip(IFunctionToolTip* tooltip)
{
    g_pFunctionToolTip.compare_exchange_strong(tooltip, nullptr);
}
