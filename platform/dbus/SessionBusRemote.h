#pragma once
// The running program on the user's session bus: service "org.orvelle.Orvelle", object
// "/org/orvelle/Orvelle", interface "org.orvelle.Orvelle". Only the session bus: the program acts
// for the user who runs it and answers no one else.

#include "IRemoteChannel.h"
#include "IRemoteControl.h"

#include <memory>
#include <string>

namespace platform {

// Holds the bus name and the object for as long as it lives.
class IRemoteBusService {
public:
    virtual ~IRemoteBusService() = default;
};

// Offers `remote` (which must outlive the result) on the session bus. Null, with `error` saying
// why, when there is no session bus or another program holds the name.
std::unique_ptr<IRemoteBusService> OfferRemoteOnSessionBus(IRemoteControl& remote, std::string& error);

// The channel of the command line. It needs no event loop; each call waits for its answer.
std::unique_ptr<IRemoteChannel> SessionBusRemoteChannel();

} // namespace platform
