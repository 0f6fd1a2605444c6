#include "link/CFtpMng.h"

#include <cstdlib>

#include "link/FtpReply.h"
#include "oplog/OperationLog.h"
#include "platform/AppPaths.h"
#include "platform/Text.h"

namespace plova {
namespace {

constexpr long kMinPort = 1;
constexpr long kMaxPort = 65535;

std::optional<std::uint16_t> portFromEnvironment() {
    const char* text = std::getenv(ftp::kPortVariable);
    if (text == nullptr) return std::nullopt;
    return CFtpMng::ParsePort(text);
}

}  // namespace

int ftp::ResultCode(LoginResult result) {
    switch (result) {
    case LoginResult::Ok: return 0;
    case LoginResult::ConnectFailed: return 1;
    case LoginResult::Refused: return 2;
    case LoginResult::UnsupportedModel: return 3;
    }
    return 1;
}

CFtpMng::CFtpMng(IdleTimerControl* idleTimer, Timeouts timeouts) : idleTimer_(idleTimer), timeouts_(timeouts) {}

CFtpMng::~CFtpMng() = default;

std::uint16_t CFtpMng::ResolvePort(std::optional<std::uint16_t> port) {
    if (port) return *port;
    if (auto fromEnvironment = portFromEnvironment()) return *fromEnvironment;
    return ServicePort();
}

std::optional<std::uint16_t> CFtpMng::ParsePort(const std::string& text) {
    const auto value = ParseWholeNumber(text, kMinPort, kMaxPort);
    if (!value) return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

std::uint16_t CFtpMng::ServicePort() {
    return net::ServicePort("ftp", "tcp").value_or(ftp::kDefaultPort);
}

ftp::LoginResult CFtpMng::Login(std::u16string_view host, std::u16string_view user, std::u16string_view password,
                                std::optional<std::uint16_t> port) {
    session_.reset();
    auto session = std::make_unique<FTP_SESSION>(timeouts_);
    const std::uint16_t portNumber = ResolvePort(port);
    const std::string where = ToUtf8(host) + ":" + std::to_string(portNumber);
    loginFailure_.clear();
    const auto fail = [this](ftp::LoginResult result, std::string cause) {
        loginFailure_ = std::move(cause);
        return result;
    };

    // An unknown host leaves the address empty, and the connection fails.
    if (auto address = net::ResolveIPv4(ToCp932(host))) session->server = *address;
    session->server.sin_family = AF_INET;
    session->server.sin_port = htons(portNumber);
    session->control = net::OpenStream();
    switch (net::Connect(session->control, session->server, timeouts_.connectMillis)) {
    case net::ConnectResult::Connected: break;
    case net::ConnectResult::Refused: return fail(ftp::LoginResult::ConnectFailed, "connection refused at " + where);
    case net::ConnectResult::TimedOut:
        return fail(ftp::LoginResult::ConnectFailed,
                    "no answer from " + where + " within " + std::to_string(timeouts_.connectMillis / 1000) + " s");
    case net::ConnectResult::Unreachable: return fail(ftp::LoginResult::ConnectFailed, "no route to " + where);
    case net::ConnectResult::NoAddress:
        return fail(ftp::LoginResult::ConnectFailed, "the host name " + ToUtf8(host) + " resolves to no address");
    case net::ConnectResult::Stopped:
    case net::ConnectResult::Failed: return fail(ftp::LoginResult::ConnectFailed, "cannot connect to " + where);
    }

    // A failed login keeps nothing open: the main unit serves few sessions.
    const ftp::Reply greeting = session->Command(u"");
    if (greeting.RefusedWith(ftp::kGreeting))
        return fail(ftp::LoginResult::UnsupportedModel, "the server at " + where + " is not a supported main unit");
    if (!greeting.Accepted())
        return fail(
            ftp::LoginResult::ConnectFailed,
            greeting.outcome == ftp::ReplyOutcome::NoReply
                ? "no greeting from " + where
                : "the main unit at " + where + " turned the connection away (" + std::to_string(greeting.code) + ")");

    session->localDirectory = ExecutableFolder();
    if (!session->Command(u"USER " + std::u16string(user) + u"\r\n").Accepted() ||
        !session->Command(u"PASS " + std::u16string(password) + u"\r\n").Accepted())
        return fail(ftp::LoginResult::Refused, "the main unit at " + where + " refused the user name or password");
    // Message files are binary. A server that keeps to the standard starts in
    // ASCII type and would turn every LF of a voice file into CR LF; the main
    // unit sends binary either way. Its answer does not matter.
    static_cast<void>(session->Command(u"TYPE I\r\n"));
    session_ = std::move(session);
    // What the operations log says of the main unit from now on: where, and as whom.
    oplog::SetMainUnit(ToUtf8(host), ToUtf8(user));
    return ftp::LoginResult::Ok;
}

void CFtpMng::Logout() {
    if (session_) {
        static_cast<void>(session_->Command(u"QUIT\r\n"));  // whatever the answer, the session ends
        session_.reset();
    }
    if (idleTimer_) {
        idleTimer_->StopIdleTimer();
        idleTimer_->ResetIdleCount();
    }
}

bool CFtpMng::KeepAlive() {
    if (!session_) return false;
    session_->Drain();
    return session_->KeepAlive();
}

void CFtpMng::Drain() {
    if (session_) session_->Drain();
}

// ------------------------------------------------------------ TransferScope

CFtpMng::TransferScope::TransferScope(CFtpMng& mng, const std::filesystem::path& localFolder) : mng_(mng) {
    if (mng_.scopeDepth_++ == 0 && mng_.idleTimer_) mng_.idleTimer_->StopIdleTimer();
    if (!mng_.session_) return;
    mng_.session_->Drain();
    mng_.session_->localDirectory = localFolder.empty() ? ExecutableFolder() : localFolder;
}

CFtpMng::TransferScope::~TransferScope() {
    if (--mng_.scopeDepth_ == 0 && mng_.idleTimer_) mng_.idleTimer_->RestartIdleTimer();
}

// ----------------------------------------------------------------- wrappers

ftp::ListResult CFtpMng::ListFolders(std::u16string& root, std::u16string& answering, std::u16string& extension) {
    if (!session_) return ftp::ListResult::Failed;
    TransferScope scope(*this);
    return scope.Session()->ListFolders(root, answering, extension);
}

ftp::ListResult CFtpMng::ListBox(std::u16string_view directory, int kind, std::u16string& listing,
                                 const std::filesystem::path& localFolder) {
    if (!session_) return ftp::ListResult::Failed;
    TransferScope scope(*this, localFolder);
    return scope.Session()->ListBox(directory, kind, listing);
}

ftp::ListResult CFtpMng::ListBoxLong(std::u16string_view directory, int kind, std::u16string& listing,
                                     long& lengthBytes, const std::filesystem::path& localFolder) {
    if (!session_) return ftp::ListResult::Failed;
    TransferScope scope(*this, localFolder);
    return scope.Session()->ListBoxLong(directory, kind, listing, lengthBytes);
}

ftp::TransferResult CFtpMng::Retrieve(std::u16string_view remoteName, std::u16string_view localName,
                                      const std::filesystem::path& localFolder, bool resetProgress, bool noProgress,
                                      std::int64_t expectedBytes) {
    if (!session_) return ftp::TransferResult::Failed;
    TransferScope scope(*this, localFolder);
    return scope.Session()->Retrieve(remoteName, localName, resetProgress, noProgress, expectedBytes);
}

ftp::StoreResult CFtpMng::Store(const void* data, std::size_t length, std::u16string_view remoteName) {
    if (!session_) return {ftp::StoreOutcome::Failed, 0};
    TransferScope scope(*this);
    return scope.Session()->Store(data, length, remoteName);
}

ftp::DeleteResult CFtpMng::Delete(std::u16string_view path, const std::filesystem::path& localFolder) {
    if (!session_) return {ftp::DeleteOutcome::Failed, 0};
    TransferScope scope(*this, localFolder);
    return scope.Session()->Delete(path);
}

}  // namespace plova
