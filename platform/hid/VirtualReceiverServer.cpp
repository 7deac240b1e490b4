#include "VirtualReceiverServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

VirtualReceiverServer::~VirtualReceiverServer() { Close(); }

bool VirtualReceiverServer::Listen(const std::string& path)
{
    Close();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        m_error = "socket path empty or too long";
        return false;
    }
    std::memcpy(addr.sun_path, path.data(), path.size());

    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            m_error = "path exists and is not a socket";
            return false;
        }
        ::unlink(path.c_str());  // left by a server that did not close
    }
    m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(m_listen, 4) != 0) {
        m_error = std::strerror(errno);
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
        return false;
    }
    m_path = path;
    m_error.clear();
    return true;
}

bool VirtualReceiverServer::Accept(int timeoutMs)
{
    DropClient();
    if (m_listen < 0)
        return false;
    pollfd p{m_listen, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r <= 0)
        return false;
    m_client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    return m_client >= 0;
}

bool VirtualReceiverServer::SendReport(const uint8_t* data, size_t length)
{
    if (m_client < 0)
        return false;
    if (!SendVirtualFrame(m_client, data, length)) {
        DropClient();
        return false;
    }
    return true;
}

FrameReadResult VirtualReceiverServer::ReceiveReport(uint8_t* buffer, size_t capacity, size_t* length, int timeoutMs)
{
    *length = 0;
    if (m_client < 0)
        return FrameReadResult::Closed;
    const FrameReadResult r = ReceiveVirtualFrame(m_client, buffer, capacity, length, timeoutMs);
    if (r != FrameReadResult::Frame && r != FrameReadResult::Timeout)
        DropClient();
    return r;
}

void VirtualReceiverServer::DropClient()
{
    if (m_client >= 0)
        ::close(m_client);
    m_client = -1;
}

void VirtualReceiverServer::Close()
{
    DropClient();
    if (m_listen >= 0) {
        ::close(m_listen);
        ::unlink(m_path.c_str());
    }
    m_listen = -1;
    m_path.clear();
}

} // namespace platform
