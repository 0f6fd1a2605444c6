// The session with the main unit over the program's FTP client.
#pragma once

#include <cstdint>
#include <optional>

#include "app/MainUnitSession.h"
#include "link/CFtpMng.h"

namespace plova {

class FtpMainUnitSession final : public MainUnitSession {
public:
    // `port` when given, else CFtpMng's own choice (PLOVA_FTP_PORT, the
    // services database, 21).
    explicit FtpMainUnitSession(IdleTimerControl* idleTimer, std::optional<std::uint16_t> port = std::nullopt);

    ftp::LoginResult Login(const std::u16string& host, const std::u16string& user,
                           const std::u16string& password) override;
    void Logout() override;
    void Drain() override;
    bool KeepAlive() override;
    [[nodiscard]] bool HasConnection() const override;
    CFtpMng* Ftp() override { return &ftp_; }

private:
    CFtpMng ftp_;
    std::optional<std::uint16_t> port_;
};

// A new FtpMainUnitSession per call, all on `port` when given.
SessionFactory FtpSessionFactory(std::optional<std::uint16_t> port = std::nullopt);

}  // namespace plova
