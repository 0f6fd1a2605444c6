#include "app/FtpMainUnitSession.h"

namespace plova {

FtpMainUnitSession::FtpMainUnitSession(IdleTimerControl* idleTimer, std::optional<std::uint16_t> port)
    : ftp_(idleTimer), port_(port) {}

ftp::LoginResult FtpMainUnitSession::Login(const std::u16string& host, const std::u16string& user,
                                           const std::u16string& password) {
    return ftp_.Login(host, user, password, port_);
}

void FtpMainUnitSession::Logout() {
    ftp_.Logout();
}

void FtpMainUnitSession::Drain() {
    ftp_.Drain();
}

bool FtpMainUnitSession::KeepAlive() {
    return ftp_.KeepAlive();
}

bool FtpMainUnitSession::HasConnection() const {
    return ftp_.HasSession();
}

SessionFactory FtpSessionFactory(std::optional<std::uint16_t> port) {
    return [port](IdleTimerControl& idleTimer) -> std::unique_ptr<MainUnitSession> {
        return std::make_unique<FtpMainUnitSession>(&idleTimer, port);
    };
}

}  // namespace plova
