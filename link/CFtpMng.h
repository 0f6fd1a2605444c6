// The program's FTP client for the main unit: at most one session, logged in
// with the main unit's address, user name and password, and the wrappers the
// download, upload and delete procedures call.
//
// Every wrapper fails (ListResult::Failed, TransferResult::Failed,
// StoreOutcome::Failed, DeleteOutcome::Failed) when there is no session; otherwise it stops
// the idle timer, drains stray replies, points the session's local directory
// at the given folder (or the program's own folder), runs the operation and
// restarts the idle timer. Procedures that run several operations in a row
// hold one TransferScope for the whole run instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "link/FTP_SESSION.h"
#include "link/IdleTimerControl.h"

namespace plova {

namespace ftp {
// How Login ended.
enum class [[nodiscard]] LoginResult{
    Ok,
    ConnectFailed,     // no connection, or the main unit turned it away
    Refused,           // user name or password refused
    UnsupportedModel,  // the greeting does not name the model
};
// Login's number: 0, 1, 2 or 3.
int ResultCode(LoginResult result);

// The port is taken from here when Login is given none: the demo and the
// command-line tool talk to a simulator that cannot sit on port 21.
constexpr const char* kPortVariable = "PLOVA_FTP_PORT";
// The port when the services database names none.
constexpr std::uint16_t kDefaultPort = 21;
}  // namespace ftp

class CFtpMng {
public:
    explicit CFtpMng(IdleTimerControl* idleTimer = nullptr, Timeouts timeouts = {});
    virtual ~CFtpMng();
    CFtpMng(const CFtpMng&) = delete;
    CFtpMng& operator=(const CFtpMng&) = delete;

    void SetIdleTimer(IdleTimerControl* idleTimer) { idleTimer_ = idleTimer; }

    // Connects and logs in. Port: `port` when given, else PLOVA_FTP_PORT when
    // set to a port number, else the services database's "ftp"/"tcp", else 21.
    // A failed login closes the connection again.
    ftp::LoginResult Login(std::u16string_view host, std::u16string_view user, std::u16string_view password,
                           std::optional<std::uint16_t> port = std::nullopt);
    // Why the last Login failed, for a person to read: "connection refused
    // at 192.168.1.10:21", "the main unit at … refused the user name or
    // password"; empty after a login that succeeded.
    [[nodiscard]] const std::string& LoginFailure() const { return loginFailure_; }
    // QUIT, close, stop the idle timer and reset its count.
    void Logout();
    // True when the main unit answered the probe; false otherwise (also without a session).
    bool KeepAlive();
    void Drain();

    [[nodiscard]] bool HasSession() const { return session_ != nullptr; }
    FTP_SESSION* Session() { return session_.get(); }

    // The port Login uses when given `port`.
    static std::uint16_t ResolvePort(std::optional<std::uint16_t> port);
    // A port number (1 to 65535) written in decimal, or nothing.
    static std::optional<std::uint16_t> ParsePort(const std::string& text);
    // The port of the "ftp" service over "tcp" in the services database, or 21.
    static std::uint16_t ServicePort();

    // Stops the idle timer, drains and sets the local directory for its
    // lifetime; the timer is restarted when the outermost scope ends.
    class TransferScope {
    public:
        explicit TransferScope(CFtpMng& mng, const std::filesystem::path& localFolder = {});
        ~TransferScope();
        TransferScope(const TransferScope&) = delete;
        TransferScope& operator=(const TransferScope&) = delete;
        FTP_SESSION* Session() { return mng_.session_.get(); }

    private:
        CFtpMng& mng_;
    };

    // ------------------------------------------------------------ wrappers
    ftp::ListResult ListFolders(std::u16string& root, std::u16string& answering, std::u16string& extension);
    ftp::ListResult ListBox(std::u16string_view directory, int kind, std::u16string& listing,
                            const std::filesystem::path& localFolder = {});
    ftp::ListResult ListBoxLong(std::u16string_view directory, int kind, std::u16string& listing, long& lengthBytes,
                                const std::filesystem::path& localFolder = {});
    // `expectedBytes`: the size the listing gave, -1 when unknown (FTP_SESSION::Retrieve).
    ftp::TransferResult Retrieve(std::u16string_view remoteName, std::u16string_view localName,
                                 const std::filesystem::path& localFolder, bool resetProgress = true,
                                 bool noProgress = false, std::int64_t expectedBytes = -1);
    ftp::StoreResult Store(const void* data, std::size_t length, std::u16string_view remoteName);
    ftp::DeleteResult Delete(std::u16string_view path, const std::filesystem::path& localFolder = {});

private:
    std::unique_ptr<FTP_SESSION> session_;
    IdleTimerControl* idleTimer_;
    Timeouts timeouts_;
    int scopeDepth_ = 0;
    std::string loginFailure_;
};

}  // namespace plova
