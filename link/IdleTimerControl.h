// The main window's idle timer (timer 1) as the FTP client sees it. Transfers
// stop it while they run and restart it when they end, so that no keep-alive
// probe cuts into a transfer; logout stops it for good. The main window
// implements this; the client may also run without one.
#pragma once

namespace plova {

// Period of the idle timer: one keep-alive probe per tick.
constexpr int kIdleTimerPeriodMillis = 12000;

class IdleTimerControl {
public:
    virtual ~IdleTimerControl() = default;
    virtual void StopIdleTimer() = 0;
    // Idle count to 0, then the timer started again with kIdleTimerPeriodMillis.
    virtual void RestartIdleTimer() = 0;
    virtual void ResetIdleCount() = 0;
};

}  // namespace plova
