#pragma once
// Pool, queues, log and a fake HID layer for the transport's tests; restores every global the
// transport keeps when the test ends.

#include "FakeHid.h"
#include "KVOHidThreadManager.h"
#include "KVOPhysicalDeviceTracker.h"
#include "PoolFixture.h"

#include <cstring>
#include <string>
#include <vector>

struct FakeDeviceState final : IKVODeviceState {
    std::atomic<int> linkKind{0};
    std::atomic<int> devType{-1};
    int GetLinkKind() override { return linkKind; }
    void SetDevType(int type) override { devType = type; }
};

struct FakeBle final : IKVOBLELink {
    bool ready = false;
    int stops = 0;
    std::vector<Bytes> sent;
    RingQueue* recvQueue = nullptr;
    void SetRecvQueue(RingQueue* queue) override { recvQueue = queue; }
    bool IsReady() override { return ready; }
    void SendData(const uint8_t* data, int length) override { sent.emplace_back(data, data + length); }
    void Stop() override { ++stops; }
};

struct FakeTooltip final : IKVOMultiDeviceTooltip {
    std::mutex mutex;
    std::vector<std::string> shown;
    void ShowTooltip(const char* section, const char* key, int durationMs) override
    {
        std::lock_guard lock(mutex);
        shown.push_back(std::string(section) + "/" + key + "/" + std::to_string(durationMs));
    }
    size_t Count()
    {
        std::lock_guard lock(mutex);
        return shown.size();
    }
};

class HidFixture : public PoolFixture {
protected:
    void SetUp() override
    {
        PoolFixture::SetUp();
        ASSERT_EQ(StartLogWriter(&sink), 0);
        platform::SetHidApi(&fake);
        SetKVODeviceState(&deviceState);
        g_bLinkRunning = true;
    }
    void TearDown() override
    {
        StopHidThreads();
        g_bLinkRunning = false;
        g_commandhid.Clear();
        KVOForgetHidOpenFailures();
        SetKVOPhysicalDeviceTracker(nullptr);
        SetKVOMultiDeviceTooltip(nullptr);
        SetKVODeviceState(nullptr);
        platform::SetHidApi(nullptr);
        PoolFixture::TearDown();
    }

    // Waits for a line with the level word and the text.
    bool LogHas(const std::string& level, const std::string& text)
    {
        return WaitUntil([&] {
            for (const std::string& line : sink.Lines()) {
                if (line.rfind(level, 0) == 0 && line.find(text) != std::string::npos)
                    return true;
            }
            return false;
        });
    }
    size_t LogCount(const std::string& text)
    {
        const std::string all = sink.Text();
        size_t n = 0;
        for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
            ++n;
        return n;
    }

    // Every node handed out has come back.
    void ExpectPoolIntact()
    {
        CloseLogWriter();
        for (int i = 0; i < MEM_CLASS_COUNT; ++i)
            EXPECT_EQ(Mem_FreeCount(i), Mem_CreatedCount(i)) << "class " << i;
    }

    MemorySink sink;
    FakeHidApi fake;
    FakeDeviceState deviceState;
};
