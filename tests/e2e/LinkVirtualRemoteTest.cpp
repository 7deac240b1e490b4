// The whole device link, started and stopped as the program does, against the virtual remote
// over a real socket: the remote connects, its motion reaches the key handler, the heartbeat
// carries the mouse mode, and unplugging stops the function after the silence time-out.

#include "CPresenterService.h"
#include "ControllerSet.h"
#include "HeartbeatFrames.h"
#include "KVOControler.h"
#include "KVOCursorSpeedKeeper.h"
#include "KVOHidThreadManager.h"
#include "KVOOperationsManager.h"
#include "KVOReportDecoder.h"
#include "LockedScreens.h"
#include "PoolFixture.h"
#include "PresenterEnvironment.h"
#include "RecordingKeyHandler.h"
#include "RemoteProcess.h"
#include "SystemHidApi.h"
#include "TempDir.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// An effect that records what the key handling asks of it, with the points.
struct EffectCall {
    std::string call;
    EffectPoint point;
};

class PointJournal {
public:
    void Add(std::string call, EffectPoint point)
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back({std::move(call), point});
    }
    std::vector<EffectCall> Calls()
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    std::mutex m_mutex;
    std::vector<EffectCall> m_calls;
};

class PointEffect final : public IPresenterFunction {
public:
    explicit PointEffect(PointJournal& journal) : m_journal(journal) {}
    void Release() override {}
    void Create() override {}
    bool Show(EffectPoint point) override { return m_journal.Add("Show", point), m_shown = true; }
    void Move(EffectPoint point) override { m_journal.Add("Move", point); }
    bool Hide(bool) override
    {
        m_journal.Add("Hide", {});
        m_shown = false;
        return true;
    }
    bool IsShown() override { return m_shown; }
    void SetDoAndUp(EffectPoint) override {}
    void SetDoAndDown(EffectPoint) override {}
    void MovePencil(EffectPoint point) override { m_journal.Add("MovePencil", point); }
    bool IsScreenShotSaving() override { return false; }
    void ClearPostil() override {}

private:
    PointJournal& m_journal;
    std::atomic<bool> m_shown{false};
};

} // namespace

class LinkVirtualRemote : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
        platform::SetHidApi(&api);
        KVOControlerEnvironment environment;
        environment.logSink = &sink;
        environment.screens = &screens;
        environment.keyHandler = UseRealService() ? nullptr : &keys;
        SetKVOControlerEnvironment(environment);
        ControllerSet::SetEnvironment({[this] {
                                           EffectSet effects;
                                           for (auto& effect : effects)
                                               effect = std::make_unique<PointEffect>(journal);
                                           return effects;
                                       },
                                       [] { return EffectRect{0, 0, 1920, 1080}; }, [] { return EffectPoint{}; }});
        SetLogLevelFilter(KVO_LOG_DEBUG);
        g_bIsInitComplete = true;
    }
    void TearDown() override
    {
        remote.reset();
        ExitKVOControler();
        g_bIsInitComplete = false;
        SetKVOControlerEnvironment({});
        ControllerSet::SetEnvironment({});
        platform::SetHidApi(nullptr);
        CPresenterService::DestroyInstance();
        ControllerSet::Destroy();
        KVOCursorSpeedKeeper::DestroyInstance();
        SetLogLevelFilter(KVO_LOG_INFO);
    }
    bool LogHas(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        return WaitUntil([&] { return sink.Text().find(text) != std::string::npos; }, limit);
    }

    virtual bool UseRealService() const { return false; }

    // The virtual remote plays `script` (recording what it receives into `record`), then the
    // link starts on it.
    void StartLinkWithRemote(const std::string& script)
    {
        WriteWholeFile(dir.file("script.txt"), script);
        remote = std::make_unique<RemoteProcess>(std::vector<std::string>{"--socket", socketPath, "--script",
            dir.file("script.txt"), "--rate", "100", "--record", record, "--quiet"});
        ASSERT_TRUE(remote->Running());
        ASSERT_TRUE(WaitUntil([] { return KVOCountHidReceivers() == 1; }));
        InitKVOControler();
        ASSERT_TRUE(IsKVOControlerRunning());
    }

    TempDir dir;
    PointJournal journal;
    std::string socketPath = dir.file("remote.sock");
    std::string record = dir.file("record.txt");
    std::unique_ptr<RemoteProcess> remote;
    platform::SystemHidApi api{std::make_unique<platform::VirtualReceiver>(socketPath, 0x0178)};
    LockedScreens screens{{{0, 0, 1920, 1080}}};
    RecordingKeyHandler keys;
    MemorySink sink;
};

TEST_F(LinkVirtualRemote, ConnectMoveHeartbeatAndUnplug)
{
    ASSERT_NO_FATAL_FAILURE(StartLinkWithRemote("report 0x03 0\n"
                                                "wait 300\n"
                                                "repeat 20 {\n"
                                                "  report 0x03 4 5 -3\n"
                                                "  wait 10\n"
                                                "}\n"
                                                "report 0x03 0\n"
                                                "wait 2500\n"
                                                "unplug\n"
                                                "wait 8000\n"));
    DeviceMgr& device = ControllerSet::Instance().GetDeviceMgr();
    // The key handling multiplies effect motion by the keeper's scale: 1080 rows give 1.5.
    EXPECT_FLOAT_EQ(CPresenterService::GetInstance().Environment().SpeedScale(), 1.5f);

    // The do key held with motion reaches the key handler with the signed deltas.
    ASSERT_TRUE(WaitUntil([&] {
        const auto calls = keys.Calls();
        return std::count(calls.begin(), calls.end(), KeyCall{false, 4, 0, 5, -3}) >= 5;
    }, std::chrono::seconds(10)));
    EXPECT_EQ(device.GetStatus(), DEVICE_STATUS_CONNECTED);
    EXPECT_EQ(device.GetDevType(), KVO_PRESENTER);

    // The heartbeat carries the device manager's mouse mode.
    device.SetMouseMode(1);
    EXPECT_TRUE(WaitUntil([&] {
        return ReadWholeFile(record).find(" 0A B2 01 50 01 00 ") != std::string::npos;
    }, std::chrono::seconds(5))) << ReadWholeFile(record);

    // Unplugged: after five silent seconds the remote is offline and the function stopped.
    EXPECT_TRUE(LogHas("ConnectTimeOut() DevType:0 StopFunction()", std::chrono::seconds(15)));
    EXPECT_TRUE(LogHas("FunctionMgr::StopFunction() Stop"));
    EXPECT_EQ(device.GetStatus(), DEVICE_STATUS_DISCONNECTED);
    EXPECT_EQ(device.GetMouseMode(), 0);

    ExitKVOControler();
    EXPECT_FALSE(IsKVOControlerRunning());
    EXPECT_NE(sink.Text().find("ExitKVOControler() Statr"), std::string::npos);
}

// The same link feeding the real key handling, with effect doubles: the do key shows the
// current effect, motion moves it by the deltas times the speed scale, release hides it.
class LinkVirtualRemoteService : public LinkVirtualRemote {
protected:
    bool UseRealService() const override { return true; }
};

TEST_F(LinkVirtualRemoteService, DoKeyHoldShowsMovesScaledAndHides)
{
    ASSERT_NO_FATAL_FAILURE(StartLinkWithRemote("report 0x03 0\n"
                                                "wait 300\n"
                                                "report 0x03 8\n"  // the function key: from the mouse to the next function
                                                "wait 50\n"
                                                "report 0x03 0\n"
                                                "wait 300\n"
                                                "report 0x03 4\n"
                                                "wait 200\n"
                                                "repeat 10 {\n"
                                                "  report 0x03 4 5 -3\n"
                                                "  wait 10\n"
                                                "}\n"
                                                "report 0x03 0\n"
                                                "wait 3000\n"));

    ASSERT_TRUE(WaitUntil([&] {
        const auto calls = journal.Calls();
        return std::any_of(calls.begin(), calls.end(), [](const EffectCall& c) { return c.call == "Hide"; });
    }, std::chrono::seconds(10))) << sink.Text();
    const auto calls = journal.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().call, "Show");
    std::vector<EffectPoint> moves;
    for (const EffectCall& c : calls)
        if (c.call == "Move")
            moves.push_back(c.point);
    ASSERT_GE(moves.size(), 5u);
    // 1080 rows: scale 1.5, so (5, -3) moves the effect by (7, -4) per report.
    for (size_t i = 1; i < moves.size(); ++i) {
        EXPECT_EQ(moves[i].x - moves[i - 1].x, 7) << i;
        EXPECT_EQ(moves[i].y - moves[i - 1].y, -4) << i;
    }
    EXPECT_EQ(calls.back().call, "Hide");
}

// The function key puts the remote into effect mode (mode 1 in every heartbeat). Closing just
// before the next periodic heartbeat is due must still leave the remote with mode 0 last.
TEST_F(LinkVirtualRemoteService, LastFrameTheRemoteGetsIsTheExitHeartbeatWithMode0)
{
    ASSERT_NO_FATAL_FAILURE(StartLinkWithRemote("report 0x03 0\n"
                                                "wait 300\n"
                                                "report 0x03 8\n"
                                                "wait 50\n"
                                                "report 0x03 0\n"
                                                "wait 20000\n"));

    // The switch sends one mode-1 heartbeat; the next ones are periodic.
    ASSERT_TRUE(WaitUntil([&] { return CountHeartbeats(ReadWholeFile(record), 1) >= 2; }, std::chrono::seconds(10)))
        << ReadWholeFile(record) << sink.Text();
    const int seen = CountHeartbeats(ReadWholeFile(record), 1);
    ASSERT_TRUE(WaitUntil([&] { return CountHeartbeats(ReadWholeFile(record), 1) > seen; }, std::chrono::seconds(3)));
    // The next periodic heartbeat falls into the exit heartbeat's send pause.
    std::this_thread::sleep_for(std::chrono::milliseconds(KVO_HEARTBEAT_PERIOD_MS - 70));
    ExitKVOControler();

    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string text = ReadWholeFile(record);
    EXPECT_NE(LastLine(text).find(" 0A B2 01 50 00 00 "), std::string::npos) << text;
}
