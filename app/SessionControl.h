// Login state and the idle timer (timer 1, 12000 ms) of the main window.
//
// The main window implements SessionHost (timers, dialogs, redraw) and
// forwards its timer-1 ticks to OnIdleTick(); everything else is decided
// here, so tests drive the whole machine with stepped ticks and no window.
#pragma once

#include <memory>

#include "app/CPLOVADoc.h"
#include "app/LoginCheck.h"
#include "app/MainUnitSession.h"

namespace plova {

// The connection-lost dialog's two buttons: "再接続" and "終了".
enum class [[nodiscard]] ConnectionLostChoice{Reconnect, Exit};

class SessionHost {
public:
    virtual ~SessionHost() = default;
    virtual void StartIdleTimer(int milliseconds) = 0;  // timer 1
    virtual void StopIdleTimer() = 0;
    // CRecomDlg, modal: "主装置との通信が切断されました。"
    virtual ConnectionLostChoice ShowConnectionLost() = 0;
    // Starts the exit sequence (as closing the main window does).
    virtual void BeginExit() = 0;
    virtual void Redraw() = 0;
    [[nodiscard]] virtual bool BackupRunning() const = 0;
    // The command frame around logout: backup timer off and on again, an
    // open settings menu closed.
    virtual void StopBackupTimer() = 0;
    virtual void RestartBackupTimerIfArmed() = 0;
    virtual void CloseSettingsMenu() = 0;
};

// What pressing "ログイン" in the login dialog led to.
enum class [[nodiscard]] LoginPress{
    StayOpen,  // a check or the login failed; the message has been shown
    LoggedIn,  // close the dialog with OK
};

class SessionControl final : public IdleTimerControl {
public:
    // `doc` holds the settings record with the connection record and the
    // logged-in flag; `factory` makes the session now and for every
    // reconnection.
    SessionControl(CPLOVADoc& doc, SessionHost& host, SessionFactory factory);
    ~SessionControl() override;
    SessionControl(const SessionControl&) = delete;
    SessionControl& operator=(const SessionControl&) = delete;

    MainUnitSession& Session() { return *session_; }
    [[nodiscard]] bool LoggedIn() const { return doc_.settings.loggedIn == 1; }
    [[nodiscard]] int IdleTicks() const { return ticks_; }

    // "ログイン" in the login dialog: stores the input, checks it, logs in
    // with the connection record and shows the failure messages (caption
    // "エラー", warning icon).
    LoginPress PressLogin(const LoginInput& input);
    // After the login dialog: restarts the idle timer with the count at 0
    // when it ended with OK, and redraws.
    void AfterLoginDialog(bool ok);

    // The logout command (and the 100th idle tick): stops the idle timer,
    // ends the session when logged in, redraws; within the backup-timer frame.
    void Logout();

    // Timer 1 as the transfer procedures drive it: stopped while they run,
    // started again with the count at 0 when they end.
    void StopIdleTimer() override;
    void RestartIdleTimer() override;
    void ResetIdleCount() override;

    // One tick of timer 1. Start and stop the timer only through
    // RestartIdleTimer()/StopIdleTimer(): a tick that arrives while this
    // object holds the timer stopped (a stale queued one) is ignored.
    void OnIdleTick();

private:
    void stopAndReset();
    // Logs in with the connection record; a failure shows its message.
    bool loginWithConnectionRecord();
    void connectionLost();
    void reconnect();

    CPLOVADoc& doc_;
    SessionHost& host_;
    SessionFactory factory_;
    std::unique_ptr<MainUnitSession> session_;
    int ticks_ = 0;
    bool timerRunning_ = false;
    bool inTick_ = false;  // a tick pumps messages; a nested tick is ignored
};

}  // namespace plova
