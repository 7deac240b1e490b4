#include "StopSignalWait.h"

#include <pthread.h>
#include <signal.h>

#include <initializer_list>

namespace platform {

namespace {

sigset_t StopSignals()
{
    sigset_t stops;
    sigemptyset(&stops);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&stops, sig);
    return stops;
}

} // namespace

StopSignalWait::StopSignalWait()
{
    const sigset_t stops = StopSignals();
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    signal(SIGCHLD, SIG_IGN);
}

int StopSignalWait::Wait()
{
    const sigset_t stops = StopSignals();
    int sig = 0;
    sigwait(&stops, &sig);
    return sig;
}

} // namespace platform
