// The Bluetooth LE link over the real BlueZ backend against a mock BlueZ on a private bus:
//   latency  notification to the decoder's queue read, p50/p99, at --rate notifications a second
//            (each stamped by the mock just before it sends it, so the figure includes the mock's
//            own D-Bus hop as well as the bus daemon and the backend);
//   idle     CPU of the link's threads (the three workers and the handler thread) and the number of
//            enumerations a second, with no BlueZ on the bus and with a mock BlueZ of 30 devices.
// With --system FIFO only the latency is measured, against the system's own BlueZ and a remote
// that is already paired and connected, whose bursts are asked for through FIFO (the kernel
// guest's real bluetoothd and its GATT remote: bench/ble_guest_latency.sh).
// A plain main that prints its figures:
//   bench_ble [--seconds N] [--rate R] [--system FIFO]

#include "IBluetoothLE.h"
#include "KVOBLEDeviceManager.h"
#include "KVOBLENames.h"
#include "KVODataQueueMgr.h"
#include "KVOFrameHeader.h"
#include "KVOMemPool.h"
#include "KVORingQueue.h"
#include "MockBlueZ.h"
#include "ProcCpu.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

// Counts the enumerations the manager asks the system for.
class CountingBluetoothLE final : public platform::IBluetoothLE {
public:
    explicit CountingBluetoothLE(std::unique_ptr<platform::IBluetoothLE> inner) : m_inner(std::move(inner)) {}
    platform::BleEnumeration FindAll(int timeoutMs) override
    {
        ++calls;
        return m_inner->FindAll(timeoutMs);
    }
    std::unique_ptr<platform::IBleDevice> FromId(const std::string& id, int timeoutMs, std::string& error) override
    {
        return m_inner->FromId(id, timeoutMs, error);
    }
    std::atomic<int> calls{0};

private:
    std::unique_ptr<platform::IBluetoothLE> m_inner;
};

uint64_t MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

// CPU time and wake-ups of every thread of this process but the main one, which only sleeps:
// the link's workers, the backend's handler thread and the D-Bus library's own thread.
struct LinkCost {
    unsigned long long runNs = 0;
    unsigned long long wakeups = 0;
};
LinkCost SampleLink()
{
    LinkCost cost;
    for (const auto& [tid, sample] : SampleProcess(getpid())) {
        if (tid == getpid())
            continue;
        cost.runNs += sample.runNs;
        cost.wakeups += sample.voluntary;
    }
    return cost;
}

enum class Bus { None, WithoutBlueZ, MockBlueZ };

void Idle(const char* label, int seconds, Bus bus)
{
    MockBlueZ bluez;
    if (bus == Bus::MockBlueZ && bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0]), 29).empty()) {
        std::printf("%s the mock BlueZ did not start\n", label);
        return;
    }
    if (bus == Bus::WithoutBlueZ && !bluez.StartBus()) {
        std::printf("%s the bus did not start\n", label);
        return;
    }
    CountingBluetoothLE api(platform::CreateBlueZBluetoothLE());
    KVOBLEDeviceManager manager(api);
    // The first passes connect what there is to connect; the steady state follows.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const int callsBefore = api.calls;
    const LinkCost before = SampleLink();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const LinkCost after = SampleLink();
    const int calls = api.calls - callsBefore;
    const bool connected = manager.IsReady();
    manager.Stop();
    std::printf("%-34s CPU %.4f %% of a core, %.1f wake-ups/s, %.2f enumerations/s%s\n", label,
                100.0 * static_cast<double>(after.runNs - before.runNs) / 1e9 / wall,
                static_cast<double>(after.wakeups - before.wakeups) / wall, calls / wall,
                connected ? " (remote connected)" : "");
}

// Where the notifications come from: the mock on its private bus, started once the link runs,
// or the system's BlueZ with a remote of its own that takes "burst COUNT RATE" on a FIFO.
class RemoteSource {
public:
    explicit RemoteSource(std::string fifo) : m_fifo(std::move(fifo)) {}
    bool Prepare() { return !m_fifo.empty() || m_bluez.StartBus(); }
    // The remote is there to be found once this returns true.
    bool Bring()
    {
        return !m_fifo.empty() || !m_bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0])).empty();
    }
    void Burst(int count, int rate)
    {
        const std::string command = "burst " + std::to_string(count) + " " + std::to_string(rate);
        if (m_fifo.empty()) {
            m_bluez.Command(command);
            return;
        }
        if (FILE* f = std::fopen(m_fifo.c_str(), "w")) {
            std::fprintf(f, "%s\n", command.c_str());
            std::fclose(f);
        }
    }
    const char* Name() const { return m_fifo.empty() ? "mock BlueZ" : "system BlueZ"; }

private:
    std::string m_fifo;
    MockBlueZ m_bluez;
};

void Latency(int seconds, int rate, const std::string& fifo)
{
    RemoteSource source(fifo);
    if (!source.Prepare()) {
        std::printf("latency: the bus did not start\n");
        return;
    }
    Mem_CreatePool();
    CreateDataQueueMgr();
    RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);
    auto api = platform::CreateBlueZBluetoothLE();
    {
        // BlueZ comes up while the link already runs, as after a Bluetooth restart.
        KVOBLEDeviceManager manager(*api);
        manager.SetRecvQueue(recvQ);
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        const bool brought = source.Bring();
        const auto up = std::chrono::steady_clock::now();
        for (int i = 0; i < 6000 && brought && !manager.IsReady(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (manager.IsReady() && fifo.empty())
            std::printf("remote connected and subscribed %.0f ms after BlueZ came up\n",
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - up).count());
        if (!manager.IsReady()) {
            std::printf("latency: the remote was not connected\n");
        } else {
            // The decoder's side: the same batch read it does, stamped when a node comes out.
            const int count = seconds * rate;
            std::vector<double> ms;
            std::thread reader([&] {
                pMemNode batch[256];
                while (static_cast<int>(ms.size()) < count) {
                    int n = 0;
                    DeRingQTimed(recvQ, batch, 256, &n, 3000);
                    if (n == 0)
                        break;
                    const uint64_t now = MonotonicNs();
                    for (int i = 0; i < n; ++i) {
                        uint64_t sent = 0;
                        std::memcpy(&sent, FrameReport(batch[i]) + 9, sizeof sent);
                        ms.push_back(static_cast<double>(now - sent) / 1e6);
                        Mem_Free(batch[i], __FILE__, __func__, __LINE__);
                    }
                }
            });
            source.Burst(count, rate);
            reader.join();
            std::sort(ms.begin(), ms.end());
            if (ms.empty()) {
                std::printf("latency: no notification arrived\n");
            } else {
                const auto at = [&](double q) { return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1))]; };
                std::printf("notification -> decoder at %d/s, %s: %zu of %d arrived, p50 %.3f ms, p99 %.3f ms, "
                            "max %.3f ms\n",
                            rate, source.Name(), ms.size(), count, at(0.5), at(0.99), ms.back());
            }
        }
        manager.Stop();
    }
    api.reset();
    DestroyDataQueueMgr();
    Mem_DestroyPool();
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 10;
    int rate = 100;
    std::string fifo;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--rate") == 0)
            rate = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--system") == 0)
            fifo = argv[i + 1];
    }
    if (!fifo.empty()) {
        QCoreApplication app(argc, argv);
        Latency(seconds, rate, fifo);
        return 0;
    }
    const std::string missing = MockBlueZ::Missing();
    if (!missing.empty()) {
        std::printf("bench_ble: %s\n", missing.c_str());
        return 1;
    }
    QCoreApplication app(argc, argv);
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (std::filesystem::exists("/run/dbus/system_bus_socket"))
        std::printf("idle, no system bus: skipped, this machine has one\n");
    else
        Idle("idle, no system bus:", seconds, Bus::None);
    Idle("idle, bus without BlueZ:", seconds, Bus::WithoutBlueZ);
    Idle("idle, mock BlueZ, 30 devices:", seconds, Bus::MockBlueZ);
    Latency(seconds, rate, {});
    return 0;
}
