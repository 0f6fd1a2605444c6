// The session with the main unit as the application shell sees it: log in,
// log out, discard stray replies, probe. FtpMainUnitSession puts CFtpMng
// behind it; tests drive the shell with their own sessions.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace plova {

class MainUnitSession {
public:
    virtual ~MainUnitSession() = default;
    // 0 logged in; 1 connection failed; 2 login refused; 3 unsupported model
    // (the login:: constants).
    virtual int Login(const std::u16string& host, const std::u16string& user, const std::u16string& password) = 0;
    // Sends QUIT when connected and closes the session.
    virtual void Logout() = 0;
    // Reads and discards pending reply lines.
    virtual void Drain() = 0;
    // True when the main unit answered the probe.
    virtual bool KeepAlive() = 0;
    // A session record exists (after a login attempt, until logout).
    virtual bool HasConnection() const = 0;
};

// Makes a fresh session (a new CFtpMng) for a reconnection.
using SessionFactory = std::function<std::unique_ptr<MainUnitSession>()>;

}  // namespace plova
