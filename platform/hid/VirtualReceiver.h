#pragma once
// A receiver without hardware: while a server accepts connections on a Unix socket, it is listed
// as one vendor-defined HID interface; opening it connects to the socket, input reports come
// from the server and output reports go to it (framing in VirtualReceiverFraming.h).
// Set ORVELLE_VIRTUAL_RECEIVER=<socket path> (and optionally ORVELLE_VIRTUAL_PRODUCT) to use it.

#include "IHidApi.h"

#include <memory>
#include <string>

namespace platform {

constexpr uint16_t kVirtualReceiverVendorId = 0x25A7;
constexpr uint16_t kVirtualReceiverUsagePage = 0xFF01;
constexpr uint16_t kVirtualReceiverDefaultProduct = 0x0178;
constexpr const char* kVirtualPathPrefix = "virtual:";

class VirtualReceiverWatch;

class VirtualReceiver {
public:
    VirtualReceiver(std::string socketPath, uint16_t productId);
    ~VirtualReceiver();

    // The receiver the environment asks for, or nullptr when ORVELLE_VIRTUAL_RECEIVER is unset.
    // An ORVELLE_VIRTUAL_PRODUCT that is not a number up to 0xFFFF leaves the default product.
    static std::unique_ptr<VirtualReceiver> FromEnvironment();

    // True while a stream server listens on the socket path.
    bool IsListening() const;
    // Readable when IsListening may have changed: the socket file appeared or went, or an open
    // connection ended (a killed server leaves its file behind). -1 when it cannot be watched.
    int ChangeFd() const;
    // Clears ChangeFd and answers IsListening. A socket file whose server does not listen yet
    // (between its bind and its listen) makes ChangeFd turn readable again shortly, to look again.
    bool TakeChangeAndCheck();
    HidInterfaceInfo Info() const;
    const std::string& Path() const { return m_path; }
    // Connects to the server; nullptr when nobody accepts.
    std::unique_ptr<IHidDevice> Open(int* error = nullptr) const;

private:
    std::string m_socketPath;
    std::string m_path;
    uint16_t m_productId;
    std::shared_ptr<VirtualReceiverWatch> m_watch;
};

} // namespace platform
