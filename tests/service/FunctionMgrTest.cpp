#include "DeviceMgr.h"
#include "FunctionMgr.h"
#include "ProtocolCmdDef.h"
#include "RecordingRunner.h"

#include <gtest/gtest.h>

namespace {

EffectSet MakeEffects(std::vector<std::string>& journal, bool screenshotSaving = false)
{
    EffectSet effects;
    effects[EFFECT_SPOTLIGHT] = std::make_unique<RecordingEffect>("spotlight", journal);
    effects[EFFECT_LASER] = std::make_unique<RecordingEffect>("laser", journal);
    effects[EFFECT_MAGNIFIER] = std::make_unique<RecordingEffect>("magnifier", journal);
    effects[EFFECT_ANNOTATION] = std::make_unique<RecordingEffect>("annotation", journal);
    effects[EFFECT_SCREENSHOT] = std::make_unique<RecordingEffect>("screenshot", journal, screenshotSaving);
    return effects;
}

TEST(FunctionMgrTest, StartsCentredOnTheScreenWithTheMouseFunction)
{
    std::vector<std::string> journal;
    FunctionMgr manager(MakeEffects(journal), EffectRect{100, 50, 2020, 1130}, EffectPoint{7, 9});
    EXPECT_EQ(manager.GetCurrentFunction(), FUNCTION_MOUSE);
    EXPECT_EQ(manager.GetFunctionState(), FUNCTION_STATE_IDLE);
    EXPECT_EQ(manager.GetVirtualPoint().x, 1060);
    EXPECT_EQ(manager.GetVirtualPoint().y, 590);
    EXPECT_EQ(manager.m_LastCursorPos.x, 7);
    EXPECT_EQ(manager.m_LastCursorPos.y, 9);
    EXPECT_EQ(manager.Effect(FUNCTION_MOUSE), nullptr);
    EXPECT_NE(manager.Effect(FUNCTION_SCREENSHOT), nullptr);
    EXPECT_TRUE(journal.empty());  // nothing is created before CreateEffects
}

TEST(FunctionMgrTest, CreatesEffectsAnnotationFirst)
{
    std::vector<std::string> journal;
    FunctionMgr manager(MakeEffects(journal), EffectRect{}, EffectPoint{});
    manager.CreateEffects();
    EXPECT_EQ(journal, (std::vector<std::string>{"annotation.Create", "magnifier.Create", "spotlight.Create",
                                                 "laser.Create", "screenshot.Create"}));
}

TEST(FunctionMgrTest, PlayOrStopCommandsReachTheRunnerInOrderAndEmptyOnesAreSkipped)
{
    std::vector<std::string> journal;
    RecordingRunner runner;
    DeviceMgr deviceMgr;
    deviceMgr.SetDevType(1);
    FunctionMgr manager(MakeEffects(journal), EffectRect{}, EffectPoint{});
    manager.SetCommandRunner(&runner);
    manager.SetDeviceMgr(&deviceMgr);

    auto play = std::make_unique<FunctionCommand>();
    play->key = 4;
    manager.PushPlayOrStopCmd(CMD_PLAY_FUNCTION, 0, std::move(play));
    manager.PushPlayOrStopCmd(CMD_KEY_MSM, 0, nullptr);  // no payload: logged and skipped
    manager.StopFunction(1);

    const auto ran = runner.WaitFor(2);
    ASSERT_EQ(ran.size(), 2u);
    EXPECT_EQ(ran[0].cmdId, CMD_PLAY_FUNCTION);
    EXPECT_EQ(ran[0].command.key, 4);
    EXPECT_EQ(ran[1].cmdId, CMD_STOP_FUNCTION);
    EXPECT_EQ(ran[1].devType, 1);
    EXPECT_EQ(ran[1].command.hideBlankScreen, 1);
    EXPECT_EQ(ran[1].command.restoreFirst, 1);
    EXPECT_EQ(ran[1].command.key, 0);
    EXPECT_EQ(ran[1].command.nSwtichMouseMode, 0);
}

TEST(FunctionMgrTest, ServiceCommandsRunOnTheirOwnWorker)
{
    RecordingRunner runner;
    FunctionMgr manager(EffectSet{}, EffectRect{}, EffectPoint{});
    manager.SetCommandRunner(&runner);
    manager.PushCmd(0, 4242, nullptr);  // unknown: ignored
    manager.PushCmd(1, CMD_SLIDESHOW, nullptr);
    manager.PushCmd(0, CMD_MIRROR_SCREEN, std::make_unique<FunctionCommand>());

    const auto ran = runner.WaitFor(2);
    ASSERT_EQ(ran.size(), 2u);
    EXPECT_EQ(ran[0].cmdId, CMD_SLIDESHOW);
    EXPECT_EQ(ran[0].devType, 1);
    EXPECT_EQ(ran[1].cmdId, CMD_MIRROR_SCREEN);
}

TEST(FunctionMgrTest, CommandsAreDroppedWhileACaptureIsSaved)
{
    std::vector<std::string> journal;
    RecordingRunner runner;
    FunctionMgr manager(MakeEffects(journal, true), EffectRect{}, EffectPoint{});
    manager.SetCommandRunner(&runner);
    manager.PushPlayOrStopCmd(CMD_PLAY_FUNCTION, 0, std::make_unique<FunctionCommand>());
    manager.PushCmd(0, CMD_SLIDESHOW, nullptr);
    // Both workers have taken their command once their queues are empty and the records are back.
    for (ObjectManager* queue : {&manager.PlayOrStopQueue(), &manager.ServiceQueue()}) {
        std::vector<cmdInfo*> all;
        while (all.size() < 516u) {
            cmdInfo* obj = queue->getObj();
            if (obj != nullptr)
                all.push_back(obj);
        }
        for (cmdInfo* obj : all)
            queue->releaseObj(obj);
    }
    EXPECT_TRUE(runner.WaitFor(0).empty());
}

TEST(FunctionMgrTest, DestructionEndsBothWorkersWithCommandsStillQueued)
{
    RecordingRunner runner;
    auto manager = std::make_unique<FunctionMgr>(EffectSet{}, EffectRect{}, EffectPoint{});
    manager->SetCommandRunner(&runner);
    for (int i = 0; i < 50; ++i)
        manager->PushPlayOrStopCmd(CMD_KEY_MSM, 0, std::make_unique<FunctionCommand>());
    manager.reset();  // must return although the worker may still have commands to run
    // Commands still queued are discarded with their payloads (the sanitizer build sees a leak).
    EXPECT_LE(runner.WaitFor(0).size(), 50u);
}

} // namespace
