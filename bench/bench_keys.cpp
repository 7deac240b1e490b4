// Cost of the key handling on the cursor-motion thread: one held-do-key event with motion, from
// the service to the effect's Move, and one first press that queues a command for the worker.

#include "CPresenterService.h"
#include "ConfigManager.h"
#include "DeviceMgr.h"
#include "FunctionMgr.h"
#include "ProtocolCmdDef.h"

#include <benchmark/benchmark.h>

#include <atomic>

namespace {

class CountingEffect final : public IPresenterFunction {
public:
    void Release() override {}
    void Create() override {}
    bool Show(EffectPoint) override { return true; }
    void Move(EffectPoint point) override { benchmark::DoNotOptimize(last = point); }
    bool Hide(bool) override { return true; }
    bool IsShown() override { return true; }
    void SetDoAndUp(EffectPoint) override {}
    void SetDoAndDown(EffectPoint) override {}
    void MovePencil(EffectPoint) override {}
    bool IsScreenShotSaving() override { return false; }
    void ClearPostil() override {}
    EffectPoint last;
};

// Swallows the commands so the worker keeps the queue short.
class DroppingRunner final : public IFunctionCommandRunner {
public:
    void RunPlayOrStop(int, int, FunctionCommand&) override { ++ran; }
    void RunServiceCommand(int, int) override {}
    std::atomic<long> ran{0};
};

struct Link {
    Link() : manager(Effects(), EffectRect{0, 0, 1920, 1080}, EffectPoint{})
    {
        manager.SetDeviceMgr(&deviceMgr);
        service = &CPresenterService::GetInstance();
        service->Environment().SetConfig(&config);
        service->SetManagers(&manager, &deviceMgr);
        manager.SetCommandRunner(&runner);
    }
    ~Link() { CPresenterService::DestroyInstance(); }
    static EffectSet Effects()
    {
        EffectSet effects;
        effects[EFFECT_SPOTLIGHT] = std::make_unique<CountingEffect>();
        return effects;
    }

    DroppingRunner runner;
    DeviceMgr deviceMgr;
    FunctionMgr manager;
    CConfigManager config;
    CPresenterService* service = nullptr;
};

void BM_HeldDoKeyMotionToEffectMove(benchmark::State& state)
{
    Link link;
    link.manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    link.manager.SetFunctionState(FUNCTION_STATE_RUNNING);
    link.service->m_bDoKeyDown = 1;  // the hold's first event has already queued its play command
    int32_t step = 1;
    for (auto _ : state) {
        link.service->DealWithPresenterKeyValue(4, {step, -step});
        step = -step;
    }
}
BENCHMARK(BM_HeldDoKeyMotionToEffectMove);

void BM_FunctionKeyPressAndReleaseQueued(benchmark::State& state)
{
    Link link;
    for (auto _ : state) {
        link.service->DealWithPresenterKeyValue(8, {});
        link.service->DealWithPresenterKeyValue(0, {});
    }
    state.counters["commands_run"] = static_cast<double>(link.runner.ran.load());
}
BENCHMARK(BM_FunctionKeyPressAndReleaseQueued);

} // namespace

BENCHMARK_MAIN();
