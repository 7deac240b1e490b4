#include "VirtualReceiver.h"

#include "VirtualReceiverFraming.h"
#include "WakeFd.h"

#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {

// Turns every change of the receiver's listing into one readable descriptor (an epoll set): an
// inotify watch on the socket's folder, a one-shot timer for rechecks, and a wake for ended
// connections. Where the folder cannot be watched the timer ticks instead, as a plain poll.
class VirtualReceiverWatch {
public:
    static constexpr int kRecheckMs = 50;
    static constexpr int kRechecks = 40;  // two seconds after each change
    static constexpr int kPollMs = 250;

    explicit VirtualReceiverWatch(const std::string& socketPath)
        : m_name(std::filesystem::path(socketPath).filename().string())
    {
        m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
        m_timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        const std::string folder = std::filesystem::path(socketPath).parent_path().string();
        if (m_inotify >= 0
            && ::inotify_add_watch(m_inotify, folder.c_str(), IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) < 0) {
            ::close(m_inotify);
            m_inotify = -1;
        }
        for (int fd : {m_inotify, m_timer, m_ended.Fd()}) {
            epoll_event ev{};
            ev.events = EPOLLIN;
            if (fd >= 0 && m_epoll >= 0)
                ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
        }
        if (m_inotify < 0)
            Arm(kPollMs, kPollMs);
    }
    ~VirtualReceiverWatch()
    {
        for (int fd : {m_epoll, m_inotify, m_timer}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    VirtualReceiverWatch(const VirtualReceiverWatch&) = delete;
    VirtualReceiverWatch& operator=(const VirtualReceiverWatch&) = delete;

    int Fd() const { return m_epoll; }
    void ConnectionEnded() { m_ended.Signal(); }

    // Clears every source; a change of the socket file allows a few rechecks again.
    void Take()
    {
        m_ended.Drain();
        uint64_t expirations = 0;
        if (m_timer >= 0)
            [[maybe_unused]] const ssize_t r = ::read(m_timer, &expirations, sizeof expirations);
        alignas(inotify_event) char buf[4096];
        ssize_t n;
        while (m_inotify >= 0 && (n = ::read(m_inotify, buf, sizeof buf)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
                if (ev->len > 0 && m_name == ev->name)
                    m_rechecksLeft = kRechecks;
                at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
            }
        }
    }

    // Looks again shortly, a limited number of times after each change.
    void Recheck()
    {
        if (m_inotify < 0 || m_rechecksLeft <= 0)
            return;
        --m_rechecksLeft;
        Arm(kRecheckMs, 0);
    }

private:
    void Arm(int firstMs, int intervalMs)
    {
        itimerspec spec{};
        spec.it_value.tv_nsec = static_cast<long>(firstMs) * 1000000L;
        spec.it_interval.tv_nsec = static_cast<long>(intervalMs) * 1000000L;
        if (m_timer >= 0)
            ::timerfd_settime(m_timer, 0, &spec, nullptr);
    }

    const std::string m_name;
    int m_epoll = -1;
    int m_inotify = -1;
    int m_timer = -1;
    WakeFd m_ended;
    int m_rechecksLeft = 0;  // only the monitor's thread takes changes
};

namespace {

constexpr unsigned long kAcceptConnections = 0x00010000;  // __SO_ACCEPTCON in /proc/net/unix
constexpr unsigned kStreamSocket = 1;

class VirtualDevice final : public IHidDevice {
public:
    VirtualDevice(int fd, std::shared_ptr<VirtualReceiverWatch> watch) : m_fd(fd), m_watch(std::move(watch)) {}
    ~VirtualDevice() override { ::close(m_fd); }
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    int ReadReport(uint8_t* buffer, size_t capacity, int timeoutMs) override
    {
        size_t length = 0;
        const FrameReadResult r = ReceiveVirtualFrame(m_fd, buffer, std::min(capacity, kReceiverInputReportLength),
                                                      &length, timeoutMs, &m_wake);
        switch (r) {
        case FrameReadResult::Frame: return static_cast<int>(length);
        case FrameReadResult::Timeout: return 0;
        case FrameReadResult::Closed: m_lastError = ENOTCONN; break;
        case FrameReadResult::Truncated: m_lastError = ECONNRESET; break;
        case FrameReadResult::Malformed: m_lastError = EBADMSG; break;
        case FrameReadResult::Failed: m_lastError = errno ? errno : EIO; break;
        }
        // The stream cannot be resynchronised after a bad frame: the device is gone for good.
        ::shutdown(m_fd, SHUT_RDWR);
        // A server that was killed leaves its socket file behind: look at the listing again.
        if (m_watch)
            m_watch->ConnectionEnded();
        return -1;
    }

    void WakeReader() override { m_wake.Signal(); }

    int WriteReport(const uint8_t* data, size_t length) override
    {
        uint8_t report[kVirtualFrameMax] = {};
        const size_t full = std::max(length, kReceiverOutputReportLength);
        if (full > sizeof report) {
            m_lastError = EMSGSIZE;
            return -1;
        }
        std::memcpy(report, data, length);
        if (!SendVirtualFrame(m_fd, report, full)) {
            m_lastError = errno ? errno : EPIPE;
            return -1;
        }
        return static_cast<int>(full);
    }

    size_t InputReportLength() const override { return kReceiverInputReportLength; }
    size_t OutputReportLength() const override { return kReceiverOutputReportLength; }
    int LastError() const override { return m_lastError; }

private:
    int m_fd;
    std::shared_ptr<VirtualReceiverWatch> m_watch;
    WakeFd m_wake;
    std::atomic<int> m_lastError{0};
};

bool FillAddress(const std::string& path, sockaddr_un* addr)
{
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr->sun_path)
        return false;
    std::memcpy(addr->sun_path, path.data(), path.size());
    return true;
}

std::string Absolute(const std::string& path)
{
    std::error_code ec;
    const auto abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

} // namespace

VirtualReceiver::VirtualReceiver(std::string socketPath, uint16_t productId)
    : m_socketPath(Absolute(socketPath)), m_path(kVirtualPathPrefix + m_socketPath), m_productId(productId),
      m_watch(std::make_shared<VirtualReceiverWatch>(m_socketPath))
{
}

VirtualReceiver::~VirtualReceiver() = default;

int VirtualReceiver::ChangeFd() const { return m_watch->Fd(); }

bool VirtualReceiver::TakeChangeAndCheck()
{
    m_watch->Take();
    const bool listening = IsListening();
    struct stat st {};
    if (!listening && ::stat(m_socketPath.c_str(), &st) == 0)
        m_watch->Recheck();
    return listening;
}

std::unique_ptr<VirtualReceiver> VirtualReceiver::FromEnvironment()
{
    const char* socketPath = std::getenv("ORVELLE_VIRTUAL_RECEIVER");
    if (!socketPath || !*socketPath)
        return nullptr;
    uint16_t product = kVirtualReceiverDefaultProduct;
    if (const char* text = std::getenv("ORVELLE_VIRTUAL_PRODUCT"); text && *text) {
        char* end = nullptr;
        errno = 0;
        const unsigned long value = std::strtoul(text, &end, 0);
        if (errno == 0 && end && *end == '\0' && value <= 0xFFFF)
            product = static_cast<uint16_t>(value);
    }
    return std::make_unique<VirtualReceiver>(socketPath, product);
}

bool VirtualReceiver::IsListening() const
{
    // The kernel's socket table tells a live listener from a file left by a crashed server
    // without connecting, so the server never sees probe connections. No socket file, no
    // listener: that answer costs one stat instead of reading the whole table.
    struct stat file {};
    if (::stat(m_socketPath.c_str(), &file) != 0)
        return false;
    std::ifstream table("/proc/net/unix");
    if (!table)
        return S_ISSOCK(file.st_mode);
    std::string line;
    std::getline(table, line);  // column titles
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, refs, protocol, flags, type, state, inode, path;
        if (!(fields >> slot >> refs >> protocol >> flags >> type >> state >> inode >> path))
            continue;
        if (path != m_socketPath)
            continue;
        const unsigned long flagBits = std::strtoul(flags.c_str(), nullptr, 16);
        const unsigned long typeValue = std::strtoul(type.c_str(), nullptr, 16);
        if ((flagBits & kAcceptConnections) && typeValue == kStreamSocket)
            return true;
    }
    return false;
}

HidInterfaceInfo VirtualReceiver::Info() const
{
    HidInterfaceInfo info;
    info.vendorId = kVirtualReceiverVendorId;
    info.productId = m_productId;
    info.usagePage = kVirtualReceiverUsagePage;
    info.usage = 0;
    info.reportIds = {0x0A};
    info.path = m_path;
    info.product = "Virtual receiver";
    info.manufacturer = "Orvelle";
    return info;
}

std::unique_ptr<IHidDevice> VirtualReceiver::Open(int* error) const
{
    sockaddr_un addr;
    if (!FillAddress(m_socketPath, &addr)) {
        if (error)
            *error = ENAMETOOLONG;
        return nullptr;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (error)
            *error = errno;
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    return std::make_unique<VirtualDevice>(fd, m_watch);
}

} // namespace platform
