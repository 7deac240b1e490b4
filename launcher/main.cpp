// OrvelleServer: the windowless launcher. It keeps one instance per user, registers itself to
// start at log-on, and starts Orvelle hidden shortly after its own start and whenever a receiver
// of the remote is plugged in. It runs until the session ends it (SIGTERM, SIGINT or SIGHUP).

#include "CAutorunEntry.h"
#include "CKVOServer.h"
#include "CurrentProcess.h"
#include "SingleInstanceLock.h"
#include "StopSignalWait.h"

#include <cstdio>

namespace {

constexpr const char* kInstanceLockName = "Global\\Tarn12_ProcessCtrlMutex_qxQuillonServer";

} // namespace

int main()
{
    platform::SingleInstanceLock instanceLock;
    switch (instanceLock.Acquire(kInstanceLockName)) {
    case platform::SingleInstanceLock::Result::HeldElsewhere:
        std::printf("Server Client Runing!\n");
        return 0;
    case platform::SingleInstanceLock::Result::Error:
        // Better a second launcher than none: the program guards its own single instance.
        std::fprintf(stderr, "OrvelleServer: single-instance lock unavailable: %s\n", instanceLock.GetError().c_str());
        break;
    case platform::SingleInstanceLock::Result::Acquired:
        break;
    }

    const std::string self = platform::ExecutablePath();
    if (self.empty()) {
        std::fprintf(stderr, "OrvelleServer: cannot read /proc/self/exe\n");
        return 1;
    }
    CAutorunEntry::Refresh(self);

    // The stop signals are taken by the wait below, so every worker starts with them blocked.
    // Programs started from here are reaped by the kernel: they are never waited for.
    platform::StopSignalWait stopSignals;

    CKVOServer server(self);
    if (const int rc = server.Start(); rc != 0) {
        std::fprintf(stderr, "OrvelleServer: pool or queues cannot be created (%d)\n", rc);
        return 1;
    }
    stopSignals.Wait();
    server.Stop();
    return 0;
}
