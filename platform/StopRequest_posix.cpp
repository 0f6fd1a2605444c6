#include <pthread.h>

#include <csignal>

#include "platform/StopRequest.h"

namespace plova {

namespace {
sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}
}  // namespace

void PrepareForStopRequest() {
    // Threads made from here on inherit the mask: only sigwait takes the signals.
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void WaitForStopRequest() {
    const sigset_t signals = stopSignals();
    int received = 0;
    sigwait(&signals, &received);
}

}  // namespace plova
