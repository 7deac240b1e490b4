#pragma once
// The remote's end of the virtual receiver: listens on the Unix socket, accepts the program's
// connection, sends input reports and receives output reports. Used by the virtual remote tool,
// the end-to-end tests and the benchmarks. One client at a time.

#include "VirtualReceiverFraming.h"

#include <string>

namespace platform {

class VirtualReceiverServer {
public:
    VirtualReceiverServer() = default;
    ~VirtualReceiverServer();
    VirtualReceiverServer(const VirtualReceiverServer&) = delete;
    VirtualReceiverServer& operator=(const VirtualReceiverServer&) = delete;

    // Listens on `path`, replacing a socket file left behind by a server that died. False (with
    // a reason in Error()) when the path is taken by something else or cannot be bound.
    bool Listen(const std::string& path);
    // Waits up to `timeoutMs` (negative: no limit) for the program to connect; a previous
    // client is dropped. True when one is connected.
    bool Accept(int timeoutMs);
    bool HasClient() const { return m_client >= 0; }
    // Sends one input report; false (and the client dropped) when the stream failed.
    bool SendReport(const uint8_t* data, size_t length);
    // Receives one output report (see ReceiveVirtualFrame); drops the client on anything but
    // Frame or Timeout.
    FrameReadResult ReceiveReport(uint8_t* buffer, size_t capacity, size_t* length, int timeoutMs);
    // The raw client stream, for tests that need to send malformed bytes; -1 without a client.
    int ClientFd() const { return m_client; }
    void DropClient();
    // Stops listening and removes the socket file: the receiver is unplugged.
    void Close();
    const std::string& Error() const { return m_error; }

private:
    int m_listen = -1;
    int m_client = -1;
    std::string m_path;
    std::string m_error;
};

} // namespace platform
