#include "CPresenterService.h"
#include "ControllerSet.h"
#include "FakeClock.h"
#include "RecordingRunner.h"

#include <gtest/gtest.h>

namespace {

TEST(ControllerSetTest, CreatedOnFirstUseFromTheProgramsEnvironment)
{
    std::vector<std::string> journal;
    ControllerSet::SetEnvironment({
        [&] {
            EffectSet effects;
            effects[EFFECT_MAGNIFIER] = std::make_unique<RecordingEffect>("magnifier", journal);
            return effects;
        },
        [] { return EffectRect{0, 0, 1920, 1080}; },
        [] { return EffectPoint{5, 6}; },
    });
    EXPECT_EQ(ControllerSet::Existing(), nullptr);
    EXPECT_EQ(ExistingDeviceMgr(), nullptr);

    ControllerSet& set = ControllerSet::Instance();
    EXPECT_EQ(&ControllerSet::Instance(), &set);
    EXPECT_EQ(ControllerSet::Existing(), &set);
    EXPECT_EQ(ExistingDeviceMgr(), &set.GetDeviceMgr());
    EXPECT_NE(set.GetFunctionMgr().Effect(FUNCTION_MAGNIFIER), nullptr);
    EXPECT_EQ(set.GetFunctionMgr().GetVirtualPoint().x, 960);
    EXPECT_EQ(set.GetFunctionMgr().m_LastCursorPos.y, 6);

    ControllerSet::Destroy();
    EXPECT_EQ(ControllerSet::Existing(), nullptr);
    ControllerSet::SetEnvironment({});
}

TEST(ControllerSetTest, PresenterServiceIsASingletonStampedWithTheClock)
{
    ScopedFakeClock clock(123456);
    CPresenterService& service = CPresenterService::GetInstance();
    EXPECT_EQ(&CPresenterService::GetInstance(), &service);
    EXPECT_EQ(service.LastOpenTime(), 123456u);

    ControllerSet& set = ControllerSet::Instance();
    service.SetManagers(&set.GetFunctionMgr(), &set.GetDeviceMgr());
    EXPECT_EQ(service.GetDeviceMgr(), &set.GetDeviceMgr());

    CPresenterService::DestroyInstance();
    ControllerSet::Destroy();
    clock.clock.Advance(10);
    EXPECT_EQ(CPresenterService::GetInstance().LastOpenTime(), 123466u);  // a new instance
    CPresenterService::DestroyInstance();
}

} // namespace
