#pragma once
// The server end of the local command pipe that the screen-mirroring application connects to.
// One attempt = one server instance: created, offered to the first client for a short while,
// written to and removed again, all on the calling thread.

#include <string>

namespace platform {

class ICommandPipe {
public:
    enum class Result {
        Sent,        // a client connected and took every byte
        NoListen,    // the server could not be created
        NoClient,    // nobody connected in time
        WriteFailed  // a client connected, the bytes did not all go out
    };
    virtual ~ICommandPipe() = default;
    // Offers `bytes` to the first client connecting within `timeoutMs`. `error` gets the reason
    // of a failure.
    virtual Result SendOnce(const std::string& bytes, int timeoutMs, std::string* error) = 0;
};

} // namespace platform
