#pragma once
// The command line's way to the running program: one request at a time, answered or refused.

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// An operation of IRemoteControl by its name ("SelectFunction", "Move", ...) and its arguments.
struct RemoteRequest {
    std::string method;
    std::vector<std::variant<int, std::string>> args;
};

struct RemoteReply {
    enum class Kind { Done, Refused, NoInstance, Failed };
    Kind kind = Kind::Failed;
    std::string text;  // the answer (status, a setting's value), or why it failed
};

class IRemoteChannel {
public:
    virtual ~IRemoteChannel() = default;
    virtual RemoteReply Call(const RemoteRequest& request) = 0;
};

} // namespace platform
