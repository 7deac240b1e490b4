#include "HidApiLinux.h"

#include "DirEntries.h"
#include "HidReportDescriptor.h"
#include "HidrawWriter.h"
#include "WakeFd.h"

#include <fcntl.h>
#include <hidapi.h>
#include <libudev.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// hidapi keeps process-wide state that it frees and replaces without a lock of its own: the
// error string of calls made without a device (hid_init, every enumeration) and the locale
// hid_init sets. Every HidApiLinux's use of hidapi, which is listing only, goes through this one
// lock.
std::mutex& HidApiMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string ToUtf8(const wchar_t* text)
{
    std::string out;
    if (!text)
        return out;
    std::mbstate_t state{};
    char buf[MB_LEN_MAX];
    for (; *text; ++text) {
        const size_t n = std::wcrtomb(buf, *text, &state);
        if (n == static_cast<size_t>(-1))
            out.push_back('?');
        else
            out.append(buf, n);
    }
    return out;
}

// The node is opened by us, not through hidapi: hidapi hides its descriptor, so a reader could
// not wait on the device and a wake together, and its write blocks for as long as the kernel
// does. A hidraw read returns one whole report, report id first, exactly as hidapi's would.
class HidrawDevice final : public IHidDevice {
public:
    HidrawDevice(int fd, HidReportLengths lengths) : m_fd(fd), m_writer(fd), m_lengths(lengths) {}
    ~HidrawDevice() override { ::close(m_fd); }
    HidrawDevice(const HidrawDevice&) = delete;
    HidrawDevice& operator=(const HidrawDevice&) = delete;

    int ReadReport(uint8_t* buffer, size_t capacity, int timeoutMs) override
    {
        for (;;) {
            const int ready = WaitReadableOrWoken(m_fd, m_wake, timeoutMs);
            if (ready == 0)
                return 0;
            if (ready < 0) {
                m_lastError = errno ? errno : EIO;
                return -1;
            }
            const ssize_t n = ::read(m_fd, buffer, capacity);
            if (n > 0)
                return static_cast<int>(n);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            // A read of nothing from a readable node means the device is gone.
            m_lastError = n < 0 ? errno : EIO;
            return -1;
        }
    }

    void WakeReader() override { m_wake.Signal(); }

    int WriteReport(const uint8_t* data, size_t length) override
    {
        // hidraw sends exactly what it is given; the receiver expects whole output reports.
        const size_t full = std::max(length, m_lengths.output);
        if (full > kMaxReport) {
            m_lastError = EMSGSIZE;
            return -1;
        }
        uint8_t report[kMaxReport] = {};
        std::memcpy(report, data, length);
        int error = 0;
        const int n = m_writer.Write(report, full, kWriteLimitMs, error);
        if (n < 0)
            m_lastError = error ? error : EIO;
        return n;
    }

    size_t InputReportLength() const override { return m_lengths.input; }
    size_t OutputReportLength() const override { return m_lengths.output; }
    int LastError() const override { return m_lastError; }

private:
    static constexpr size_t kMaxReport = 4096;
    // A receiver takes a report within a few milliseconds; one that has not after this is
    // treated as a failed write, which the link retries or gives up on as it does any other.
    static constexpr int kWriteLimitMs = 250;

    const int m_fd;
    WakeFd m_wake;
    HidrawWriter m_writer;
    const HidReportLengths m_lengths;
    std::atomic<int> m_lastError{0};
};

constexpr const char* kHidrawClass = "/sys/class/hidraw";

// The report descriptor of a hidraw node as the kernel read it from the device; empty when
// sysfs has none.
std::vector<uint8_t> ReadDescriptor(const std::string& classFolder, const std::string& path)
{
    const std::string node = std::filesystem::path(path).filename().string();
    std::ifstream in(classFolder + "/" + node + "/device/report_descriptor", std::ios::binary);
    if (!in)
        return {};
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The lengths of the receiver's report 0x0A as its descriptor declares them; the receiver's
// known lengths where sysfs has no descriptor or the descriptor has no such report.
HidReportLengths ReceiverReportLengths(const std::string& path)
{
    HidReportLengths lengths{kReceiverInputReportLength, kReceiverOutputReportLength};
    const std::vector<uint8_t> descriptor = ReadDescriptor(kHidrawClass, path);
    const HidReportLengths declared = ReportLengthsForId(descriptor.data(), descriptor.size(), 0x0A);
    if (declared.input > 0 && declared.input <= 4096)
        lengths.input = declared.input;
    if (declared.output > 0 && declared.output <= 4096)
        lengths.output = declared.output;
    return lengths;
}

} // namespace

HidApiLinux::HidApiLinux() = default;

HidApiLinux::~HidApiLinux()
{
    std::lock_guard lock(HidApiMutex());
    if (m_initialised)
        hid_exit();
}

bool HidApiLinux::EnsureInitialised()
{
    if (!m_initialised && hid_init() == 0)
        m_initialised = true;
    return m_initialised;
}

std::vector<HidInterfaceInfo> HidApiLinux::Enumerate(uint16_t vendorId)
{
    // hidapi lists only the collections that have a Usage item before them, so a vendor
    // collection written without one would never show with its usage page: what the
    // descriptor declares decides instead.
    return WithDescriptorUsages(EnumerateHidapi(vendorId), kHidrawClass);
}

std::vector<HidInterfaceInfo> HidApiLinux::WithDescriptorUsages(std::vector<HidInterfaceInfo> listed,
                                                                const std::string& classFolder)
{
    std::vector<HidInterfaceInfo> out;
    std::vector<std::string> done;
    for (const HidInterfaceInfo& first : listed) {
        if (std::find(done.begin(), done.end(), first.path) != done.end())
            continue;
        done.push_back(first.path);
        const std::vector<uint8_t> descriptor = ReadDescriptor(classFolder, first.path);
        const std::vector<HidTopLevelCollection> collections = TopLevelCollections(descriptor.data(), descriptor.size());
        if (collections.empty()) {
            std::copy_if(listed.begin(), listed.end(), std::back_inserter(out),
                         [&](const HidInterfaceInfo& info) { return info.path == first.path; });
            continue;
        }
        for (const HidTopLevelCollection& collection : collections) {
            HidInterfaceInfo info = first;
            info.usagePage = collection.usagePage;
            info.usage = collection.usage;
            info.reportIds = collection.reportIds;
            out.push_back(std::move(info));
        }
    }
    return out;
}

std::vector<HidInterfaceInfo> HidApiLinux::EnumerateHidapi(uint16_t vendorId)
{
    std::vector<HidInterfaceInfo> out;
    std::lock_guard lock(HidApiMutex());
    if (!EnsureInitialised())
        return out;
    hid_device_info* list = hid_enumerate(vendorId, 0);
    for (const hid_device_info* d = list; d; d = d->next) {
        HidInterfaceInfo info;
        info.vendorId = d->vendor_id;
        info.productId = d->product_id;
        info.usagePage = d->usage_page;
        info.usage = d->usage;
        info.path = d->path ? d->path : "";
        info.product = ToUtf8(d->product_string);
        info.manufacturer = ToUtf8(d->manufacturer_string);
        out.push_back(std::move(info));
    }
    hid_free_enumeration(list);
    return out;
}

std::unique_ptr<IHidDevice> HidApiLinux::Open(const std::string& path, int* error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return nullptr;
    }
    return std::make_unique<HidrawDevice>(fd, ReceiverReportLengths(path));
}

bool HidApiLinux::AnyPresent(uint16_t vendorId, const std::vector<uint16_t>& productIds)
{
    return AnyPresentIn("/sys/class/hidraw", vendorId, productIds);
}

bool HidApiLinux::AnyPresentIn(const std::string& classFolder, uint16_t vendorId,
                               const std::vector<uint16_t>& productIds)
{
    return AnyDirEntry(classFolder, [&](const char* node) {
        const std::string uevent = classFolder + "/" + node + "/device/uevent";
        const int fd = ::open(uevent.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        char text[1024];
        const ssize_t n = ::read(fd, text, sizeof text - 1);
        ::close(fd);
        if (n <= 0)
            return false;
        text[n] = '\0';
        // "HID_ID=<bus>:<vendor>:<product>", each in hex, on a line of its own.
        const char* line = std::strncmp(text, "HID_ID=", 7) == 0 ? text : std::strstr(text, "\nHID_ID=");
        unsigned bus = 0, vendor = 0, product = 0;
        if (!line || std::sscanf(std::strchr(line, '=') + 1, "%x:%x:%x", &bus, &vendor, &product) != 3)
            return false;
        return vendor == vendorId && std::find(productIds.begin(), productIds.end(), product) != productIds.end();
    });
}

std::string HidApiLinux::ContainerId(const std::string& path)
{
    const std::string sysname = std::filesystem::path(path).filename().string();
    if (sysname.empty())
        return {};
    udev* ctx = udev_new();
    if (!ctx)
        return {};
    std::string id;
    if (udev_device* dev = udev_device_new_from_subsystem_sysname(ctx, "hidraw", sysname.c_str())) {
        // The parent is owned by the child; only the child is unreferenced.
        if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device")) {
            if (const char* sys = udev_device_get_syspath(usb))
                id = sys;
        }
        udev_device_unref(dev);
    }
    udev_unref(ctx);
    return id;
}

} // namespace platform
