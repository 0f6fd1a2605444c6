// The session with the main unit as the application shell sees it: log in,
// log out, discard stray replies, probe. FtpMainUnitSession puts CFtpMng
// behind it; tests drive the shell with their own sessions.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/CFtpMng.h"
#include "link/IdleTimerControl.h"

namespace plova {

class MainUnitSession {
public:
    virtual ~MainUnitSession() = default;
    virtual ftp::LoginResult Login(const std::u16string& host, const std::u16string& user,
                                   const std::u16string& password) = 0;
    // Sends QUIT when connected and closes the session.
    virtual void Logout() = 0;
    // Reads and discards pending reply lines.
    virtual void Drain() = 0;
    // True when the main unit answered the probe.
    virtual bool KeepAlive() = 0;
    // A connection to the main unit is open (from a login until logout).
    [[nodiscard]] virtual bool HasConnection() const = 0;
    // The FTP client behind the session, for the transfer procedures; null
    // for sessions without one.
    virtual CFtpMng* Ftp() { return nullptr; }
};

// Makes a fresh session (a new CFtpMng) at start and for every reconnection;
// the session stops and restarts timer 1 through `idleTimer` around transfers.
using SessionFactory = std::function<std::unique_ptr<MainUnitSession>(IdleTimerControl& idleTimer)>;

}  // namespace plova
