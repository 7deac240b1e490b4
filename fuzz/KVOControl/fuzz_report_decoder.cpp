// Arbitrary bytes through the report decoder, the way the receive thread gets them: one pool
// node per input, then the silence check, then whatever the decoder asked of the device manager.
// Input: byte 0 picks the link (bit 0) and how far the clock moves first (bits 1-7, 50 ms steps);
// the remaining bytes, of any length, are the report.

#include "ControllerSet.h"
#include "Clock.h"
#include "KVOControler.h"
#include "KVODataQueueMgr.h"
#include "KVOFrameHeader.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOMemPool.h"
#include "KVOReportDecoder.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

class StepClock final : public platform::IClock {
public:
    uint32_t TickCount() override { return static_cast<uint32_t>(m_ms.load()); }
    double HighResMs() override { return static_cast<double>(m_ms.load()); }
    void SleepMs(uint32_t ms) override { m_ms += ms; }
    void Advance(uint32_t ms) { m_ms += ms; }

private:
    std::atomic<uint64_t> m_ms{1000};
};

// Every line is formatted and handed to the writer, which throws it away.
class NullSink final : public ILogSink {
public:
    void SetSource(const char*, int) override {}
    void Append(const char*, size_t) override {}
    void Flush() override {}
};

struct Link {
    Link()
    {
        platform::SetClock(&clock);
        if (Mem_CreatePool() != 0 || CreateDataQueueMgr() != 0)
            __builtin_trap();
        SetLogVariant(LogVariant::Orvelle);
        SetLogLevelFilter(KVO_LOG_DEBUG);
        if (StartLogWriter(&sink) != 0)
            __builtin_trap();
        ConnectDeviceMgrToLink(&ControllerSet::Instance().GetDeviceMgr());
        SetCursorSpeedSource([] { return 40; });
        g_commandhid.Set(std::make_shared<KVOHidDevice>());
        g_bIsInitComplete = true;
    }

    // Runs before the log writer's own statics go, so its thread is ended first.
    ~Link()
    {
        ConnectDeviceMgrToLink(nullptr);
        ControllerSet::Destroy();
        g_commandhid.Clear();
        CloseLogWriter();
    }

    // What the worker threads would do: run device commands, send frames, take motion records.
    void Drain()
    {
        DeviceMgr& deviceMgr = ControllerSet::Instance().GetDeviceMgr();
        while (deviceMgr.CommandQueue().queueSize() > 0)
            deviceMgr.Run();
        pMemNode node = nullptr;
        int count = 0;
        while (DeRingQ(GetDataQueue(KVO_SEND_QUEUE), &node, 1, &count) == 0 && count == 1)
            Mem_Free(node, __FILE__, __func__, __LINE__);
        while (cmdInfo* record = MovePosQueue().pollObj(0))
            MovePosQueue().releaseObj(record);
    }

    StepClock clock;
    NullSink sink;
    KVOReportDecoder decoder{MovePosQueue()};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Link link;
    if (size == 0) {
        link.decoder.DecodeReport(data, 0, KVO_LINK_HID);
        return 0;
    }
    link.clock.Advance(static_cast<uint32_t>(data[0] >> 1) * 50);
    const int source = (data[0] & 1) != 0 ? KVO_LINK_BLE : KVO_LINK_HID;
    const int length = static_cast<int>(size - 1);

    pMemNode node = nullptr;
    if (Mem_Alloc(&node, KVO_FRAME_HEADER_SIZE + length, __FILE__) == MEM_OK) {
        KVOFrameHeader header;
        header.source = source;
        WriteFrameHeader(node, header);
        std::memcpy(FrameReport(node), data + 1, static_cast<size_t>(length));
        node->data_len = KVO_FRAME_HEADER_SIZE + length;
        link.decoder.DecodeNode(node);
        Mem_Free(node, __FILE__, __func__, __LINE__);
    } else {
        link.decoder.DecodeReport(data + 1, length, source);
    }
    link.decoder.CheckSilence();
    link.Drain();
    return 0;
}
