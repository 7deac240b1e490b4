#include "DeviceMgr.h"
#include "ProtocolCmdDef.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

namespace {

class RecordingHandler final : public IDeviceStatusHandler {
public:
    void OnConnectTimeOut(int devType) override { calls.emplace_back(CMD_CONNECT_TIMEOUT, devType); }
    void OnSyncParameters(int devType) override { calls.emplace_back(CMD_SYNC_PARAMETERS, devType); }
    std::vector<std::pair<int, int>> calls;
};

TEST(DeviceMgrTest, WorkerStepDispatchesAndAlwaysStoresTheDeviceType)
{
    DeviceMgr deviceMgr;
    RecordingHandler handler;
    deviceMgr.SetStatusHandler(&handler);

    deviceMgr.PushCmd(CMD_DEVICE_CONNECTED, 1);
    deviceMgr.PushCmd(12345, 2);
    deviceMgr.PushCmd(CMD_SYNC_PARAMETERS, 0);
    deviceMgr.PushCmd(CMD_CONNECT_TIMEOUT, 1);

    EXPECT_TRUE(deviceMgr.Run());
    EXPECT_EQ(deviceMgr.GetStatus(), DEVICE_STATUS_CONNECTED);
    EXPECT_EQ(deviceMgr.GetDevType(), 1);
    EXPECT_TRUE(deviceMgr.Run());  // unknown command: ignored, yet the type is taken
    EXPECT_EQ(deviceMgr.GetDevType(), 2);
    EXPECT_TRUE(deviceMgr.Run());
    EXPECT_TRUE(deviceMgr.Run());
    EXPECT_EQ(handler.calls, (std::vector<std::pair<int, int>>{{CMD_SYNC_PARAMETERS, 0}, {CMD_CONNECT_TIMEOUT, 1}}));
    EXPECT_EQ(deviceMgr.GetDevType(), 1);
}

TEST(DeviceMgrTest, CommandsWithoutHandlerAreHarmless)
{
    DeviceMgr deviceMgr;
    deviceMgr.PushCmd(CMD_CONNECT_TIMEOUT, 0);
    deviceMgr.PushCmd(CMD_SYNC_PARAMETERS, 0);
    EXPECT_TRUE(deviceMgr.Run());
    EXPECT_TRUE(deviceMgr.Run());
    EXPECT_EQ(deviceMgr.GetStatus(), DEVICE_STATUS_DISCONNECTED);
}

TEST(DeviceMgrTest, ExitRecordEndsTheStepAndGoesBackToThePool)
{
    DeviceMgr deviceMgr;
    ObjectManager& queue = deviceMgr.CommandQueue();
    queue.offerExitObj();
    EXPECT_FALSE(deviceMgr.Run());
    EXPECT_EQ(queue.queueSize(), 0);
    EXPECT_EQ(queue.createdCount(), 1);
    queue.getObj();  // the released record, not a new one
    EXPECT_EQ(queue.createdCount(), 1);
}

TEST(DeviceMgrTest, WorkerThreadRunsCommandsAndIsJoinedOnDestruction)
{
    auto deviceMgr = std::make_unique<DeviceMgr>();
    deviceMgr->StartThread();
    deviceMgr->PushCmd(CMD_DEVICE_CONNECTED, 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (deviceMgr->GetStatus() != DEVICE_STATUS_CONNECTED && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(deviceMgr->GetStatus(), DEVICE_STATUS_CONNECTED);
    EXPECT_EQ(deviceMgr->GetDevType(), 1);
    deviceMgr.reset();  // must return: the worker is blocked on its queue until the exit record
}

} // namespace
