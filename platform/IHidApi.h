#pragma once
// The HID layer the device link talks to: list the HID interfaces, open one, read and write
// whole reports, and hear about interfaces that arrive or leave. The link never sees the OS API
// behind it, so tests swap in a fake and another OS gets its own implementation.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Report lengths of the receiver, report id included: the id 0x0A and 16 bytes. Every frame the
// link sends (16 or 8 bytes, id first) fits one output report; an input report carries the
// 16 bytes the decoder reads plus one spare byte that it ignores. The virtual receiver uses
// these; a real one reports what its descriptor declares, and these only when it has none.
constexpr size_t kReceiverInputReportLength = 17;
constexpr size_t kReceiverOutputReportLength = 17;

// One entry of an enumeration. Interfaces whose report descriptor declares several top-level
// collections appear once per collection with the same path.
struct HidInterfaceInfo {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    // Report ids declared inside this collection (0: reports without id); empty when the
    // descriptor could not be read and they are unknown.
    std::vector<uint8_t> reportIds;
    std::string path;
    std::string product;       // product string of the device, UTF-8, may be empty
    std::string manufacturer;  // manufacturer string, UTF-8, may be empty
};

// An open interface. One thread may read while another writes.
class IHidDevice {
public:
    virtual ~IHidDevice() = default;
    // Reads one input report (report id first) into `buffer`. Returns the byte count (> 0),
    // 0 when `timeoutMs` passed without a report (negative: no limit) or the read was woken,
    // -1 when the device failed or went away.
    virtual int ReadReport(uint8_t* buffer, size_t capacity, int timeoutMs) = 0;
    // Makes the ReadReport in progress, or else the next one, return 0 at once, so that a reader
    // with no time limit can be stopped. Callable from any thread.
    virtual void WakeReader() = 0;
    // Writes one output report (report id first). A report shorter than OutputReportLength is
    // zero-padded. Returns the bytes accepted, 0 when nothing was accepted, -1 when refused.
    virtual int WriteReport(const uint8_t* data, size_t length) = 0;
    virtual size_t InputReportLength() const = 0;
    virtual size_t OutputReportLength() const = 0;
    // errno-style code of the last failed read or write, 0 when none failed.
    virtual int LastError() const = 0;
};

class IHidApi {
public:
    virtual ~IHidApi() = default;
    // Present interfaces of `vendorId` (0: every vendor), one entry per top-level collection.
    virtual std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId) = 0;
    // Opens the interface at `path` for reading and writing; nullptr when it cannot be opened,
    // and then `error`, when given, holds the errno-style reason (EACCES: no permission).
    virtual std::unique_ptr<IHidDevice> Open(const std::string& path, int* error = nullptr) = 0;
    // Whether an interface of `vendorId` with one of `productIds` is present. Meant for a poll
    // that runs every second, so implementations answer from the cheapest listing the system
    // has, opening nothing; this default lists every interface of the vendor.
    virtual bool AnyPresent(uint16_t vendorId, const std::vector<uint16_t>& productIds)
    {
        for (const HidInterfaceInfo& info : Enumerate(vendorId)) {
            for (uint16_t product : productIds) {
                if (info.productId == product)
                    return true;
            }
        }
        return false;
    }
    // The present interfaces that no system notification reports (the virtual receiver), so a
    // monitor that hears about the others needs to poll only these.
    virtual std::vector<HidInterfaceInfo> EnumerateUnnotified(uint16_t vendorId)
    {
        (void)vendorId;
        return {};
    }
    // A descriptor that turns readable when what EnumerateUnnotified lists may have changed, so
    // that a monitor can block instead of polling; EnumerateUnnotified clears it. -1 when there
    // is nothing to watch. Owned by the API.
    virtual int UnnotifiedChangeFd() { return -1; }
    // Identifies the physical device that owns the interface, so that several interfaces of one
    // receiver count once. Empty when unknown (for example after the device left).
    virtual std::string ContainerId(const std::string& path) = 0;
};

enum class HidEvent { Arrival, Removal };
using HidEventCallback = std::function<void(HidEvent event, const std::string& path)>;

// Arrival and removal notifications, delivered on the monitor's own thread.
class IHidMonitor {
public:
    virtual ~IHidMonitor() = default;
    // Starts delivering events. Returns false when the system's notifications are unavailable;
    // the monitor then finds arrivals and removals by polling the interface list instead.
    virtual bool Start(HidEventCallback callback) = 0;
    // Stops and joins the monitor thread; no callback runs after it returns.
    virtual void Stop() = 0;
};

// The process-wide HID layer: the system's (real receivers plus the virtual receiver when
// ORVELLE_VIRTUAL_RECEIVER is set) unless a test installed another one.
IHidApi& HidApi();
// Installs a replacement; nullptr restores the system's. The caller keeps ownership.
void SetHidApi(IHidApi* api);
// A monitor of the interfaces of `vendorId` as `api` lists them. The caller owns it.
std::unique_ptr<IHidMonitor> CreateHidMonitor(IHidApi& api, uint16_t vendorId);

} // namespace platform
