#pragma once
// Pool, data queues, a test clock and the process-wide managers, as the link has them while it
// runs; with helpers to read what the link sent and what it asked of the device manager.

#include "ControllerSet.h"
#include "FakeClock.h"
#include "KVOControler.h"
#include "KVOFrameHeader.h"
#include "KVOHidThreadManager.h"
#include "KVOReportDecoder.h"
#include "PoolFixture.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;
using DeviceCmd = std::pair<int, int>;  // cmdId, devType

class LinkFixture : public PoolFixture {
protected:
    void SetUp() override
    {
        PoolFixture::SetUp();
        SetLogLevelFilter(KVO_LOG_DEBUG);
        ASSERT_EQ(StartLogWriter(&sink), 0);
        ControllerSet::Instance();
        g_bIsInitComplete = true;
        g_bIsReboot = false;
    }
    void TearDown() override
    {
        g_bLinkRunning = false;
        g_commandhid.Clear();
        g_bIsInitComplete = false;
        g_bIsReboot = false;
        ConnectDeviceMgrToLink(nullptr);
        SetCursorSpeedSource(nullptr);
        SetMainWindowPoster(nullptr);
        ControllerSet::Destroy();
        PoolFixture::TearDown();
    }

    DeviceMgr& Device() { return ControllerSet::Instance().GetDeviceMgr(); }

    // Frames waiting in the send queue, oldest first, each cut to the length in its header.
    std::vector<Bytes> TakeFrames()
    {
        std::vector<Bytes> frames;
        pMemNode node = nullptr;
        int count = 0;
        while (DeRingQ(GetDataQueue(KVO_SEND_QUEUE), &node, 1, &count) == 0 && count == 1) {
            const KVOFrameHeader header = ReadFrameHeader(node);
            const uint8_t* frame = FrameReport(node);
            frames.emplace_back(frame, frame + header.length);
            Mem_Free(node, __FILE__, __func__, __LINE__);
        }
        return frames;
    }

    // Commands waiting for the device manager's worker (which the tests do not start).
    std::vector<DeviceCmd> TakeDeviceCmds()
    {
        std::vector<DeviceCmd> cmds;
        ObjectManager& queue = Device().CommandQueue();
        while (cmdInfo* cmd = queue.pollObj(0)) {
            cmds.emplace_back(cmd->cmdId, cmd->devType);
            queue.releaseObj(cmd);
        }
        return cmds;
    }

    // Runs every waiting device command as the worker would.
    void RunDeviceWorker()
    {
        while (Device().CommandQueue().queueSize() > 0)
            Device().Run();
    }

    // Everything logged so far (ends the writer, so call it last).
    std::string LogText()
    {
        CloseLogWriter();
        return sink.Text();
    }

    // A receiver record that reads as open; the transport's threads do not run in these tests.
    void OpenReceiver() { g_commandhid.Set(std::make_shared<KVOHidDevice>()); }

    ScopedFakeClock clock;
    MemorySink sink;
};
