// The receiver transport against the fake HID layer: opening, writing, reading and routing.

#include "FakeClock.h"
#include "FakeHid.h"
#include "HidFixture.h"
#include "HidTestFrames.h"
#include "KVODeviceWatch.h"
#include "KVOFrameHeader.h"
#include "KVOLog.h"

#include <thread>

using HidOpen = HidFixture;

TEST_F(HidOpen, TakesProductsInTableOrderAndOnlyTheVendorUsage)
{
    // A mouse receiver whose vendor interface is elsewhere: present, never opened.
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw0", 0xFF00, 0));
    // A wired mouse receiver listing a keyboard usage and the vendor usage on one path.
    fake.AddInterface(ReceiverInterface(0x0181, "/dev/hidraw1", 0x0001, 0x0006));
    fake.AddInterface(ReceiverInterface(0x0181, "/dev/hidraw1", 0xFF01, 0));
    fake.AddInterface(ReceiverInterface(0x0186, "/dev/hidraw2"));

    ASSERT_EQ(InitHidManager(), 0);
    ASSERT_TRUE(g_commandhid.IsOpen());
    EXPECT_EQ(g_commandhid.Get()->path, "/dev/hidraw1");
    EXPECT_EQ(deviceState.devType.load(), KVO_WIRED_MOUSE);
    EXPECT_EQ(fake.OpenCount("/dev/hidraw0"), 0);
    EXPECT_EQ(KVOCountHidReceivers(), 3);

    fake.RemoveInterface("/dev/hidraw1");
    ASSERT_EQ(InitHidManager(), 0);
    EXPECT_EQ(g_commandhid.Get()->path, "/dev/hidraw2");
    EXPECT_EQ(deviceState.devType.load(), KVO_PRESENTER);

    // The right vendor but a product that is not listed is neither counted nor opened.
    fake.RemoveInterface("/dev/hidraw2");
    fake.AddInterface(ReceiverInterface(0x0999, "/dev/hidraw3"));
    g_commandhid.Clear();
    EXPECT_EQ(InitHidManager(), -1);
    EXPECT_FALSE(g_commandhid.IsOpen());
    EXPECT_EQ(KVOCountHidReceivers(), 1);

    EXPECT_TRUE(LogHas("[INFO]", "InitHidManager Successful Wired Mouse"));
    EXPECT_TRUE(LogHas("[INFO]", "InitHidManager Successful Presenter"));
    EXPECT_TRUE(LogHas("[ERROR]", "InitHidManager() Error"));
}

TEST_F(HidOpen, VendorCollectionIsTheOneDeclaringTheLinkReport)
{
    // The receiver's own vendor collection, declared with usage 1, on the second node; the
    // first node's vendor collection carries another report.
    platform::HidInterfaceInfo other = ReceiverInterface(0x0178, "/dev/hidraw0");
    other.reportIds = {0x0B};
    platform::HidInterfaceInfo link = ReceiverInterface(0x0178, "/dev/hidraw1", 0xFF01, 0x0001);
    link.reportIds = {0x02, 0x0A};
    fake.AddInterface(other);
    fake.AddInterface(link);

    ASSERT_EQ(InitHidManager(), 0);
    EXPECT_EQ(g_commandhid.Get()->path, "/dev/hidraw1");
    EXPECT_EQ(fake.OpenCount("/dev/hidraw0"), 0);
}

TEST_F(HidOpen, NodeThatCannotBeOpenedLeavesTheNextNodeOfTheSameReceiver)
{
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw1"));
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw2"));
    fake.SetOpenable("/dev/hidraw0", false);
    ASSERT_EQ(InitHidManager(), 0);
    EXPECT_EQ(g_commandhid.Get()->path, "/dev/hidraw1");
    EXPECT_EQ(deviceState.devType.load(), KVO_PRESENTER);
    EXPECT_EQ(fake.OpenCount("/dev/hidraw2"), 0);
}

TEST_F(HidOpen, RefusedReceiverIsNamedWithItsReasonOncePerArrival)
{
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    fake.SetOpenable("/dev/hidraw0", false, EACCES);
    auto* monitor = new FakeHidMonitor();
    KVOPhysicalDeviceTracker tracker(fake, std::unique_ptr<platform::IHidMonitor>(monitor), nullptr);
    SetKVOPhysicalDeviceTracker(&tracker);
    tracker.Start();
    KVODeviceWatch watch(nullptr, {});
    watch.Begin();
    // Every period retries; only the first says why.
    for (int period = 0; period < 4; ++period)
        watch.Step();
    EXPECT_FALSE(g_commandhid.IsOpen());
    // The user is told what to do once the window exists, and only once in the run.
    FakeTooltip tooltip;
    SetKVOMultiDeviceTooltip(&tooltip);
    EXPECT_EQ(tooltip.shown, std::vector<std::string>{"tooltip/noAccess_tooltip/10000"});
    const auto settled = [&](const char* mark) {
        WriteLog(KVO_LOG_INFO, "%s", mark);
        return LogHas("[INFO]", mark);
    };
    const std::string reason = "HID device /dev/hidraw0 cannot be opened: Permission denied";
    ASSERT_TRUE(settled("four periods"));
    EXPECT_EQ(LogCount(reason), 1u);
    EXPECT_EQ(LogCount("InitHidManager() Error"), 1u);
    EXPECT_EQ(LogCount("InitHidManager Failed"), 1u);

    // Plugged in again on the same node: said again, once.
    monitor->Fire(platform::HidEvent::Removal, "/dev/hidraw0");
    monitor->Fire(platform::HidEvent::Arrival, "/dev/hidraw0");
    watch.Step();
    watch.Step();
    // Gone for a period and back, with no monitor to tell: the listing shows it.
    fake.RemoveInterface("/dev/hidraw0");
    EXPECT_EQ(InitHidManager(), -1);
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    fake.SetOpenable("/dev/hidraw0", false, EACCES);
    EXPECT_EQ(InitHidManager(), -1);
    ASSERT_TRUE(settled("plugged in again"));
    EXPECT_EQ(LogCount(reason), 3u);
    EXPECT_EQ(tooltip.Count(), 1u);

    // Allowed at last: it opens on the next period.
    fake.SetOpenable("/dev/hidraw0", true);
    watch.Step();
    EXPECT_TRUE(g_commandhid.IsOpen());
}

TEST_F(HidOpen, NodeGoneBeforeItsOpenIsNoReasonToAskForTheRule)
{
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    fake.SetOpenable("/dev/hidraw0", false, ENOENT);
    KVOPhysicalDeviceTracker tracker(fake, std::make_unique<FakeHidMonitor>(), nullptr);
    FakeTooltip tooltip;
    SetKVOMultiDeviceTooltip(&tooltip);
    EXPECT_EQ(InitHidManager(), -1);
    EXPECT_TRUE(LogHas("[ERROR]", "HID device /dev/hidraw0 cannot be opened: No such file or directory"));
    EXPECT_EQ(tooltip.Count(), 0u);
}

TEST_F(HidOpen, InterfaceThatCannotBeOpenedLeavesTheNextProduct)
{
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw1"));
    fake.SetOpenable("/dev/hidraw0", false);
    ASSERT_EQ(InitHidManager(), 0);
    EXPECT_EQ(g_commandhid.Get()->path, "/dev/hidraw1");
    EXPECT_EQ(deviceState.devType.load(), KVO_WIRLESS_MOUSE);
    EXPECT_TRUE(LogHas("[INFO]", "InitHidManager Successful Wirless Mouse"));
}

TEST_F(HidOpen, WatchOpensWhatTheTrackerCountsAndSearchesNothingWhileOneIsOpen)
{
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    KVOPhysicalDeviceTracker tracker(fake, std::make_unique<FakeHidMonitor>(), nullptr);
    SetKVOPhysicalDeviceTracker(&tracker);
    KVODeviceWatch watch(nullptr, {});
    watch.Begin();

    // Not counted yet: the presence check behind the tracker opens it all the same.
    watch.Step();
    EXPECT_TRUE(g_commandhid.IsOpen());
    g_commandhid.Clear();
    tracker.Start();
    watch.Step();
    ASSERT_TRUE(g_commandhid.IsOpen());

    // While the receiver is open, periods cost no enumeration.
    const int lists = fake.EnumerateCount();
    watch.Step();
    watch.Step();
    EXPECT_EQ(fake.EnumerateCount(), lists);

    // Dropped after a failed read: open again on the next period.
    g_commandhid.Clear();
    watch.Step();
    EXPECT_TRUE(g_commandhid.IsOpen());
    EXPECT_EQ(fake.OpenCount("/dev/hidraw0"), 3);
    EXPECT_TRUE(LogHas("[INFO]", "ThreadFindDevice() FindNEWZumoDevice InitHidManager Successful"));
}

TEST_F(HidOpen, WatchOpensAReceiverWhoseArrivalEventWasLost)
{
    auto monitor = std::make_unique<FakeHidMonitor>();
    KVOPhysicalDeviceTracker tracker(fake, std::move(monitor), nullptr);
    SetKVOPhysicalDeviceTracker(&tracker);
    tracker.Start();
    KVODeviceWatch watch(nullptr, {});
    watch.Begin();

    // Nothing present: the count stays 0 and nothing is opened.
    watch.Step();
    EXPECT_FALSE(g_commandhid.IsOpen());

    // Plugged in, but its netlink event never came: the count is still 0.
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    ASSERT_EQ(tracker.PhysicalDeviceCount(), 0);
    watch.Step();
    ASSERT_TRUE(g_commandhid.IsOpen());
    EXPECT_EQ(g_commandhid.Get()->path, "/dev/hidraw0");
    EXPECT_TRUE(LogHas("[INFO]", "receiver present without an arrival event"));
    // Counted from now on, so frames reach it and its removal is heard.
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 1);

    // Pulled out again: the check finds nothing and the watch opens nothing.
    g_commandhid.Clear();
    fake.RemoveInterface("/dev/hidraw0");
    tracker.OnRemoval("/dev/hidraw0");
    EXPECT_EQ(tracker.PhysicalDeviceCount(), 0);
    watch.Step();
    EXPECT_FALSE(g_commandhid.IsOpen());
    EXPECT_EQ(fake.OpenCount("/dev/hidraw0"), 1);
}

using HidWrite = HidFixture;

TEST_F(HidWrite, EveryWriteIsOneWholeReportWithZeroPadding)
{
    auto state = std::make_shared<FakeHidDeviceState>(17, 33);
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1", state);
    ASSERT_EQ(InitHidManager(), 0);
    const auto device = g_commandhid.Get();
    EXPECT_EQ(device->outputReportLength, 33);

    // A 16-byte frame: one 33-byte write whose last 17 bytes are zero, from a buffer of exactly
    // 16 bytes (the write must not read past it).
    const Bytes motor = {0x0A, 0xB2, 0x01, 0xD2, 0x96, 0x00, 0x32, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(hid_SendCommod(device.get(), motor.data(), 16), 16);
    // 40 bytes take two reports, the second holding the last 7 bytes and 26 zeros.
    Bytes big(40);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i + 1);
    EXPECT_EQ(hid_SendCommod(device.get(), big.data(), 40), 40);

    const auto writes = state->Writes();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0], Frame({0x0A, 0xB2, 0x01, 0xD2, 0x96, 0x00, 0x32}, 33));
    EXPECT_EQ(writes[1], Bytes(big.begin(), big.begin() + 33));
    Bytes tail(big.begin() + 33, big.end());
    tail.resize(33, 0);
    EXPECT_EQ(writes[2], tail);

    EXPECT_EQ(hid_SendCommod(nullptr, motor.data(), 16), -1);
}

TEST_F(HidWrite, GivesUpAfterThirtyFailuresAndDropsARefusingReceiver)
{
    ScopedFakeClock clock;
    auto state = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    ASSERT_EQ(InitHidManager(), 0);
    const Bytes frame = Frame({0x0A, 0xB2, 0x01, 0x50}, 16);

    // Thirty failures are survived: the 31st attempt gets through.
    state->FailWrites(30, 0);
    EXPECT_EQ(hid_SendCommod(g_commandhid.Get().get(), frame.data(), 16), 16);
    EXPECT_EQ(state->WriteAttempts(), 31);

    // Accepted writes that move nothing: the frame is abandoned but the receiver stays open.
    state->FailWrites(100, 0, 11);
    const uint32_t before = clock.clock.TickCount();
    EXPECT_EQ(hid_SendCommod(g_commandhid.Get().get(), frame.data(), 16), -1);
    EXPECT_EQ(state->WriteAttempts(), 31 + 31);
    EXPECT_EQ(clock.clock.TickCount() - before, 31u * 100u);
    EXPECT_TRUE(g_commandhid.IsOpen());

    // Refused writes: abandoned, and the record is released for the watch to reopen.
    state->FailWrites(100, -1, 32);
    EXPECT_EQ(hid_SendCommod(g_commandhid.Get().get(), frame.data(), 16), -1);
    EXPECT_FALSE(g_commandhid.IsOpen());

    EXPECT_TRUE(LogHas("[ERROR]", "HID Send iTimeCount =  31,LastError=11"));
    EXPECT_TRUE(LogHas("[ERROR]", "HID Send iTimeCount =  31,LastError=32"));
}

TEST_F(HidWrite, RetriesEndAsSoonAsTheLinkStops)
{
    ScopedFakeClock clock;
    auto state = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    ASSERT_EQ(InitHidManager(), 0);
    const Bytes frame = Frame({0x0A, 0xB2, 0x01, 0x50}, 16);

    // The link stops while the third attempt is in the receiver's hands: that attempt fails
    // and no pause follows it.
    state->FailWrites(100, 0);
    state->OnWrite([](int attempt) {
        if (attempt == 3)
            g_bLinkRunning = false;
    });
    const uint32_t before = clock.clock.TickCount();
    EXPECT_EQ(hid_SendCommod(g_commandhid.Get().get(), frame.data(), 16), -1);
    EXPECT_EQ(state->WriteAttempts(), 3);
    EXPECT_EQ(clock.clock.TickCount() - before, 2u * 100u);

    // Stopped already: one attempt, no pause.
    EXPECT_EQ(hid_SendCommod(g_commandhid.Get().get(), frame.data(), 16), -1);
    EXPECT_EQ(state->WriteAttempts(), 4);
    EXPECT_EQ(clock.clock.TickCount() - before, 2u * 100u);
}

using HidRoute = HidFixture;

TEST_F(HidRoute, FrameGoesToTheLinkTheRemoteLastUsed)
{
    auto state = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    ASSERT_EQ(InitHidManager(), 0);
    FakeBle ble;
    KVOPhysicalDeviceTracker tracker(fake, nullptr, &ble);
    SetKVOPhysicalDeviceTracker(&tracker);
    const Bytes frame = Frame({0x0A, 0xB2, 0x01, 0xD4, 0x60, 0xEA, 0xE8, 0x03}, 8);

    // Nothing heard yet: the frame is dropped.
    deviceState.linkKind = 0;
    EXPECT_EQ(kvo_sendData(frame.data(), 8), 0);
    // Receiver link, but the tracker has not counted a receiver.
    deviceState.linkKind = 2;
    EXPECT_EQ(kvo_sendData(frame.data(), 8), 0);
    EXPECT_TRUE(state->Writes().empty());

    tracker.Start();
    ASSERT_EQ(tracker.PhysicalDeviceCount(), 1);
    EXPECT_EQ(kvo_sendData(frame.data(), 8), 0);
    ASSERT_EQ(state->Writes().size(), 1u);
    EXPECT_EQ(state->Writes()[0], Frame({0x0A, 0xB2, 0x01, 0xD4, 0x60, 0xEA, 0xE8, 0x03}, 17));

    // Bluetooth LE: exactly the frame's bytes, and only when the link is ready.
    deviceState.linkKind = 1;
    kvo_sendData(frame.data(), 8);
    ble.ready = true;
    kvo_sendData(frame.data(), 8);
    ASSERT_EQ(ble.sent.size(), 1u);
    EXPECT_EQ(ble.sent[0], frame);
    EXPECT_EQ(state->Writes().size(), 1u);

    // A failing receiver write is logged, and the caller still hears success.
    deviceState.linkKind = 2;
    g_commandhid.Clear();
    EXPECT_EQ(kvo_sendData(frame.data(), 8), 0);
    EXPECT_TRUE(LogHas("[ERROR]", "kvo_sendData() Call hid_SendCommod() Error,irstCode =-1!"));

    tracker.StopBLELink();
    tracker.StopBLELink();
    EXPECT_EQ(ble.stops, 1);
}

using HidThreads = HidFixture;

TEST_F(HidThreads, ReaderQueuesReportsWithHeaderAndDropsOtherIds)
{
    auto state = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    ASSERT_EQ(InitHidManager(), 0);
    RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);
    StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), recvQ);

    const double before = platform::HighResMs();
    state->PushInput({0x05, 0x99});  // another report id: never reaches the decoder
    state->PushInput(Frame({0x0A, 0x03, 0x00, 0x00, 0x02, 0x00, 0xFB, 0x07}, 17));
    state->PushInput({0x0A, 0x01});  // short report: zeros behind it
    ASSERT_TRUE(WaitUntil([&] { return RingQCount(recvQ) == 2; }));
    const double after = platform::HighResMs();

    pMemNode nodes[4] = {};
    int count = 0;
    DeRingQ(recvQ, nodes, 4, &count);
    ASSERT_EQ(count, 2);
    const KVOFrameHeader h = ReadFrameHeader(nodes[0]);
    EXPECT_EQ(h.source, KVO_LINK_HID);
    EXPECT_GE(h.recvTime, static_cast<int32_t>(before) - 1);
    EXPECT_LE(h.recvTime, static_cast<int32_t>(after) + 1);
    const uint8_t* r = FrameReport(nodes[0]);
    EXPECT_EQ(Bytes(r, r + 17), Frame({0x0A, 0x03, 0x00, 0x00, 0x02, 0x00, 0xFB, 0x07}, 17));
    EXPECT_EQ(nodes[0]->data_len, KVO_FRAME_HEADER_SIZE + 17);
    const uint8_t* s = FrameReport(nodes[1]);
    EXPECT_EQ(Bytes(s, s + 16), Frame({0x0A, 0x01}, 16));
    for (int i = 0; i < count; ++i)
        Mem_Free(nodes[i], __FILE__, __func__, __LINE__);

    // Unplugging drops the record; the reader waits for the next one without spinning.
    state->Unplug();
    ASSERT_TRUE(WaitUntil([] { return !g_commandhid.IsOpen(); }));
    EXPECT_TRUE(LogHas("[ERROR]", "RecvFrom() Call GetOverlappedResult()--HID ReadCmdOverlapped Length = 0;"));

    // A receiver plugged in again is read from as soon as it is open.
    fake.RemoveInterface("/dev/hidraw0");
    auto again = fake.AddInterface(ReceiverInterface(0x0186, "/dev/hidraw5"));
    ASSERT_EQ(InitHidManager(), 0);
    again->PushInput(Frame({0x0A, 0x03}, 17));
    EXPECT_TRUE(WaitUntil([&] { return RingQCount(recvQ) == 1; }));

    StopHidThreads();
    DeRingQ(recvQ, nodes, 4, &count);
    for (int i = 0; i < count; ++i)
        Mem_Free(nodes[i], __FILE__, __func__, __LINE__);
    ExpectPoolIntact();
}

TEST_F(HidThreads, MouseReportsOnTheSameNodeAreDroppedWithoutALogLinePerReport)
{
    SetLogLevelFilter(KVO_LOG_DEBUG);  // even the debug level names each other id once only
    auto state = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    ASSERT_EQ(InitHidManager(), 0);
    RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);
    StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), recvQ);

    // A mouse collection beside the vendor one: eight of its reports around each of ours.
    constexpr int kOurs = 5;
    for (int i = 0; i < kOurs; ++i) {
        for (int m = 0; m < 8; ++m)
            state->PushInput({0x01, 0x00, static_cast<uint8_t>(m), 0xFF, 0x00});
        state->PushInput(Frame({0x0A, 0x03, 0x00, 0x00, 0x02, 0x00, static_cast<uint8_t>(i)}, 17));
    }
    state->PushInput({0x02, 0x01, 0x00});  // a second other id
    state->PushInput(Frame({0x0A, 0x03, 0x00, 0x00, 0x02, 0x00, 0x7F}, 17));
    ASSERT_TRUE(WaitUntil([&] { return RingQCount(recvQ) == kOurs + 1; }));

    pMemNode nodes[kOurs + 2] = {};
    int count = 0;
    DeRingQ(recvQ, nodes, kOurs + 2, &count);
    ASSERT_EQ(count, kOurs + 1);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(FrameReport(nodes[i])[0], 0x0A);
        EXPECT_EQ(FrameReport(nodes[i])[6], i < kOurs ? i : 0x7F);
        Mem_Free(nodes[i], __FILE__, __func__, __LINE__);
    }

    // The reader logged what it logs before it queued the last report; this line follows them.
    WriteLog(KVO_LOG_INFO, "other ids test end");
    ASSERT_TRUE(LogHas("[INFO]", "other ids test end"));
    int mouseLines = 0, secondLines = 0;
    for (const std::string& line : sink.Lines()) {
        mouseLines += line.find("byReport_ID = 1") != std::string::npos;
        secondLines += line.find("byReport_ID = 2") != std::string::npos;
    }
    EXPECT_EQ(mouseLines, 1);
    EXPECT_EQ(secondLines, 1);

    StopHidThreads();
    ExpectPoolIntact();
}

TEST_F(HidThreads, LatencyAlertAndReceiveTimeFollowTheClock)
{
    ScopedFakeClock clock(5000);
    SetKVODataLatencyAlert(true, 500.0);
    auto state = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    ASSERT_EQ(InitHidManager(), 0);
    RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);
    StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), recvQ);

    const auto next = [&] {
        pMemNode node = nullptr;
        int count = 0;
        DeRingQTimed(recvQ, &node, 1, &count, 5000);
        EXPECT_EQ(count, 1);
        const int32_t t = count == 1 ? ReadFrameHeader(node).recvTime : -1;
        if (node)
            Mem_Free(node, __FILE__, __func__, __LINE__);
        return t;
    };
    state->PushInput(Frame({0x0A, 0x03}, 17));
    EXPECT_EQ(next(), 5000);
    clock.clock.Advance(400);
    state->PushInput(Frame({0x0A, 0x03}, 17));
    EXPECT_EQ(next(), 5400);
    clock.clock.Advance(600);
    state->PushInput(Frame({0x0A, 0x03}, 17));
    EXPECT_EQ(next(), 6000);
    EXPECT_TRUE(LogHas("[ERROR]", "[Performance][Warning] Data latency alert: 600.0000ms"));
    EXPECT_EQ(LogCount("Data latency alert"), 1u);
    SetKVODataLatencyAlert(false, 500.0);
}

TEST_F(HidThreads, ReaderMovesToTheReceiverOpenedAfterAWriteRefusal)
{
    ScopedFakeClock clock;
    auto first = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    ASSERT_EQ(InitHidManager(), 0);
    RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);
    StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), recvQ);

    first->FailWrites(100, -1);
    const Bytes frame = Frame({0x0A, 0xB2, 0x01, 0x50}, 16);
    EXPECT_EQ(hid_SendCommod(g_commandhid.Get().get(), frame.data(), 16), -1);
    ASSERT_FALSE(g_commandhid.IsOpen());
    fake.RemoveInterface("/dev/hidraw0");
    auto second = fake.AddInterface(ReceiverInterface(0x0186, "/dev/hidraw1"));
    ASSERT_EQ(InitHidManager(), 0);

    // The old record's reader gives way; reports of the new receiver arrive.
    second->PushInput(Frame({0x0A, 0x07}, 17));
    pMemNode node = nullptr;
    int count = 0;
    DeRingQTimed(recvQ, &node, 1, &count, 5000);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(FrameReport(node)[1], 0x07);
    Mem_Free(node, __FILE__, __func__, __LINE__);
}

TEST_F(HidThreads, WriterSendsQueuedFramesInOrderAndEndsOnAStopNode)
{
    auto state = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    ASSERT_EQ(InitHidManager(), 0);
    KVOPhysicalDeviceTracker tracker(fake, nullptr, nullptr);
    tracker.Start();
    SetKVOPhysicalDeviceTracker(&tracker);
    deviceState.linkKind = 2;

    RingQueue* sendQ = GetDataQueue(KVO_SEND_QUEUE);
    const auto queueFrame = [](uint8_t code, int length) { QueueOutgoingFrame({0x0A, 0xB2, 0x01, code}, length); };
    queueFrame(0x50, 16);
    queueFrame(0xD3, 16);
    queueFrame(0xD4, 8);
    queueFrame(0x77, 5000);  // a length beyond the node: dropped with a log line
    StartHidThreads(sendQ, GetDataQueue(KVO_RECV_QUEUE));
    ASSERT_TRUE(WaitUntil([&] { return state->Writes().size() == 3; }));
    const auto writes = state->Writes();
    EXPECT_EQ(writes[0], Frame({0x0A, 0xB2, 0x01, 0x50}, 17));
    EXPECT_EQ(writes[1], Frame({0x0A, 0xB2, 0x01, 0xD3}, 17));
    EXPECT_EQ(writes[2], Frame({0x0A, 0xB2, 0x01, 0xD4}, 17));
    EXPECT_TRUE(LogHas("[ERROR]", "frame length 5000 out of range"));

    // A stop node ends the writer; frames behind it go back to the pool unsent.
    pMemNode stop = nullptr;
    ASSERT_EQ(Mem_Alloc(&stop, 128, __FILE__), 0);
    stop->stop_tag = 1;
    EnRingQWait(sendQ, stop);
    queueFrame(0x51, 16);
    EXPECT_TRUE(LogHas("[ERROR]", "ThreadSendCommandFunc() pMemNode->stop_tag = 1!"));
    StopHidThreads();
    pMemNode rest[4];
    int count = 0;
    DeRingQ(sendQ, rest, 4, &count);
    for (int i = 0; i < count; ++i)
        Mem_Free(rest[i], __FILE__, __func__, __LINE__);
    EXPECT_EQ(state->Writes().size(), 3u);
    ExpectPoolIntact();
}

TEST_F(HidThreads, StopWakesAReaderBlockedOnTheDeviceOrOnAFullQueue)
{
    auto state = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    ASSERT_EQ(InitHidManager(), 0);
    RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);

    // Idle: the read has no time limit, so only the wake can end it.
    StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), recvQ);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto start = std::chrono::steady_clock::now();
    StopHidThreads();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(state->WokenReads(), 1);

    // The decoder stalled: the queue is full and the reader waits to put a report.
    size_t filler = 0;
    for (;;) {
        pMemNode node = nullptr;
        ASSERT_EQ(Mem_Alloc(&node, 128, __FILE__), 0);
        if (EnRingQ(recvQ, node) != 0) {
            Mem_Free(node, __FILE__, __func__, __LINE__);
            break;
        }
        ++filler;
    }
    state->PushInput(Frame({0x0A, 0x03}, 17));
    StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), recvQ);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    start = std::chrono::steady_clock::now();
    StopHidThreads();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    // Only the filler is queued; the report the reader held went back to the pool.
    std::vector<pMemNode> queued(filler + 1);
    int count = 0;
    DeRingQ(recvQ, queued.data(), static_cast<int>(queued.size()), &count);
    EXPECT_EQ(count, static_cast<int>(filler));
    for (int i = 0; i < count; ++i)
        Mem_Free(queued[i], __FILE__, __func__, __LINE__);
    ExpectPoolIntact();
}

TEST_F(HidThreads, StopJoinsBothThreadsWithNoReceiverOpen)
{
    StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), GetDataQueue(KVO_RECV_QUEUE));
    const auto start = std::chrono::steady_clock::now();
    StopHidThreads();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    // A writer started without a queue ends at once.
    ThreadSendCommandFunc(nullptr);
    EXPECT_TRUE(LogHas("[ERROR]", "ThreadSendCommandFunc() pSendQ = Null !"));
}
