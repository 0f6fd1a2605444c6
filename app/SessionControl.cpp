#include "app/SessionControl.h"

#include "app/CommandTable.h"
#include "platform/Ports.h"

namespace plova {
namespace {

void showError(std::u16string_view text) {
    ShowPrompt(std::u16string(text), std::u16string(login::kErrorCaption), Icon::Exclamation);
}

}  // namespace

SessionControl::SessionControl(CPLOVADoc& doc, SessionHost& host, SessionFactory factory)
    : doc_(doc), host_(host), factory_(std::move(factory)), session_(factory_(*this)) {}

SessionControl::~SessionControl() = default;

LoginPress SessionControl::PressLogin(const LoginInput& input) {
    // The values are kept even when a check fails, as typed.
    StoreLoginInput(doc_.settings, input);
    if (const auto message = CheckLoginInput(input)) {
        showError(*message);
        return LoginPress::StayOpen;
    }
    return loginWithConnectionRecord() ? LoginPress::LoggedIn : LoginPress::StayOpen;
}

bool SessionControl::loginWithConnectionRecord() {
    const ConnectionRecord& c = doc_.settings.connection;
    const ftp::LoginResult result = session_->Login(c.address, c.user, c.password);
    if (result != ftp::LoginResult::Ok) {
        showError(LoginFailureMessage(result));
        return false;
    }
    doc_.settings.loggedIn = 1;
    return true;
}

void SessionControl::AfterLoginDialog(bool ok) {
    if (ok) RestartIdleTimer();
    host_.Redraw();
}

void SessionControl::Logout() {
    host_.StopBackupTimer();
    host_.CloseSettingsMenu();
    stopAndReset();
    if (LoggedIn()) {
        session_->Logout();
        doc_.settings.loggedIn = 0;
    }
    host_.Redraw();
    host_.RestartBackupTimerIfArmed();
}

void SessionControl::StopIdleTimer() {
    host_.StopIdleTimer();
    timerRunning_ = false;
}

void SessionControl::RestartIdleTimer() {
    ticks_ = 0;
    host_.StartIdleTimer(cmd::kIdleTimerMs);
    timerRunning_ = true;
}

void SessionControl::ResetIdleCount() {
    ticks_ = 0;
}

void SessionControl::stopAndReset() {
    StopIdleTimer();
    ResetIdleCount();
}

void SessionControl::OnIdleTick() {
    // The probe pumps window messages, and the connection-lost dialog is
    // modal: a tick delivered meanwhile must not probe again.
    if (inTick_ || !timerRunning_) return;
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(inTick_);

    // Only a session the program still counts as logged in is probed: one
    // found dead stays open (a cancelled exit keeps the program running)
    // until a login replaces it, and must not bring the dialog up again.
    if (!host_.BackupRunning() && LoggedIn() && session_->HasConnection()) {
        session_->Drain();
        if (!session_->KeepAlive()) {
            connectionLost();
            return;
        }
    }
    if (LoggedIn() && ++ticks_ >= cmd::kIdleLogoutTicks) Logout();
}

void SessionControl::connectionLost() {
    doc_.settings.loggedIn = 0;
    host_.Redraw();
    stopAndReset();
    if (host_.ShowConnectionLost() == ConnectionLostChoice::Reconnect)
        reconnect();
    else
        host_.BeginExit();
}

void SessionControl::reconnect() {
    session_->Logout();
    session_ = factory_(*this);
    if (loginWithConnectionRecord()) RestartIdleTimer();
    host_.Redraw();
}

}  // namespace plova
