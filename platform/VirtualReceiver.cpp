#include "VirtualReceiver.h"

#include "VirtualReceiverFraming.h"

#include <sys/socket.h>
#include <sys/stat.h>
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
namespace {

constexpr unsigned long kAcceptConnections = 0x00010000;  // __SO_ACCEPTCON in /proc/net/unix
constexpr unsigned kStreamSocket = 1;

class VirtualDevice final : public IHidDevice {
public:
    explicit VirtualDevice(int fd) : m_fd(fd) {}
    ~VirtualDevice() override { ::close(m_fd); }
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    int ReadReport(uint8_t* buffer, size_t capacity, int timeoutMs) override
    {
        size_t length = 0;
        const FrameReadResult r = ReceiveVirtualFrame(m_fd, buffer, std::min(capacity, kReceiverInputReportLength),
                                                      &length, timeoutMs);
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
        return -1;
    }

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
    : m_socketPath(Absolute(socketPath)), m_path(kVirtualPathPrefix + m_socketPath), m_productId(productId)
{
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
    // without connecting, so the server never sees probe connections.
    std::ifstream table("/proc/net/unix");
    if (!table) {
        struct stat st {};
        return ::stat(m_socketPath.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
    }
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
    info.path = m_path;
    info.product = "Virtual receiver";
    info.manufacturer = "Orvelle";
    return info;
}

std::unique_ptr<IHidDevice> VirtualReceiver::Open() const
{
    sockaddr_un addr;
    if (!FillAddress(m_socketPath, &addr))
        return nullptr;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<VirtualDevice>(fd);
}

} // namespace platform
