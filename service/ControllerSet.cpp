#include "ControllerSet.h"

#include <atomic>
#include <mutex>

namespace {

std::mutex g_setLock;
std::unique_ptr<ControllerSet> g_set;
std::atomic<ControllerSet*> g_setPtr{nullptr};
ControllerSetEnvironment g_environment;

} // namespace

ControllerSet::ControllerSet()
{
    EffectSet effects;
    if (g_environment.createEffects)
        effects = g_environment.createEffects();
    const EffectRect screen = g_environment.presentationScreen ? g_environment.presentationScreen() : EffectRect{};
    const EffectPoint cursor = g_environment.cursorPos ? g_environment.cursorPos() : EffectPoint{};
    m_functionMgr = std::make_unique<FunctionMgr>(std::move(effects), screen, cursor);
    m_deviceMgr = std::make_unique<DeviceMgr>();
    m_functionMgr->SetDeviceMgr(m_deviceMgr.get());
}

ControllerSet::~ControllerSet()
{
    StopWorkers();
    // The function manager reads the device manager; it goes first.
    m_functionMgr.reset();
    m_deviceMgr.reset();
}

void ControllerSet::StartWorkers()
{
    m_functionMgr->StartThreads();
    m_deviceMgr->StartThread();
}

void ControllerSet::StopWorkers()
{
    m_deviceMgr->StopThread();
    m_functionMgr->StopThreads();
}

ControllerSet& ControllerSet::Instance()
{
    std::lock_guard lock(g_setLock);
    if (!g_set) {
        g_set.reset(new ControllerSet());
        g_setPtr = g_set.get();
    }
    return *g_set;
}

ControllerSet* ControllerSet::Existing() { return g_setPtr.load(); }

void ControllerSet::Destroy()
{
    std::unique_ptr<ControllerSet> set;
    {
        std::lock_guard lock(g_setLock);
        g_setPtr = nullptr;
        set = std::move(g_set);
    }
}

void ControllerSet::SetEnvironment(ControllerSetEnvironment environment)
{
    std::lock_guard lock(g_setLock);
    g_environment = std::move(environment);
}

DeviceMgr* ExistingDeviceMgr()
{
    ControllerSet* set = ControllerSet::Existing();
    return set != nullptr ? &set->GetDeviceMgr() : nullptr;
}
