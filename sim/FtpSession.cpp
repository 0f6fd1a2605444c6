#include "sim/FtpSession.h"

#include "platform/AtomicFile.h"
#include "platform/CalendarTime.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "sim/Listing.h"
#include "store/CFileMng.h"
#include "store/RecordingBlock.h"

#include <cstdio>
#include <cstring>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace plova::sim {

namespace {

// Reply codes.
constexpr int kOpening = 150;
constexpr int kOk = 200;
constexpr int kFileStatus = 213;
constexpr int kSystemType = 215;
constexpr int kReady = 220;
constexpr int kClosing = 221;
constexpr int kAbortDone = 225;
constexpr int kTransferDone = 226;
constexpr int kLoggedIn = 230;
constexpr int kFileActionDone = 250;
constexpr int kPathCreated = 257;
constexpr int kNeedPassword = 331;
constexpr int kPending = 350;
constexpr int kServiceClosing = 421;
constexpr int kNoDataConnection = 425;
constexpr int kTransferAborted = 426;
constexpr int kBusy = 450;  // in use, no room, or an older message than the stored one
constexpr int kLocalError = 451;
constexpr int kUnknownCommand = 500;
constexpr int kSyntaxError = 501;
constexpr int kNotImplemented = 502;
constexpr int kBadSequence = 503;
constexpr int kBadParameter = 504;
constexpr int kNotLoggedIn = 530;
constexpr int kUnavailable = 550;  // absent, or protected
constexpr int kExceeded = 552;
constexpr int kNameNotAllowed = 553;

// Waits and sizes.
constexpr int kDataConnectMillis = 10000;  // the main unit connects back within 10 s
constexpr int kIdleMillis = 900000;        // a silent control connection is closed after 15 minutes
constexpr int kDataIoMillis = 60000;       // a data peer that takes or gives nothing for a minute is dropped
constexpr int kReplySendMillis = 30000;
constexpr int kAbortGraceMillis = 250;  // how long an upload's end waits for a cancelling ABOR
constexpr std::size_t kMaxCommandLine = 4096;
constexpr std::size_t kDataBlock = 8192;
constexpr std::uint64_t kMaxStoredBytes = 16u << 20;  // far above 300 s of speech
constexpr std::size_t kOverlongReplyChars = 600;
constexpr std::uint32_t kTricklePiecesPerSecond = 10;
constexpr char kEndlessFill = 0x5A;

// System response messages: "YYYYMMDDhhmm_WWW_BBBB_NNNN.vmdat", identified by "BBBB_NNNN".
using store::kDatePrefixLength;
using store::kResponseIdentityAt;
using store::kResponseIdentityLength;
using store::kResponseNameLength;

// Names a hostile main unit might list: separators, climbing, absolute
// paths, and fixed-length message names with a separator inside.
const char* const kHostileNames[] = {
    "../evil.vmdat",
    "../../../../tmp/evil.vminf",
    "a/b.vmdat",
    "..\\..\\evil.vmdat",
    "/etc/passwd",
    "..",
    "20240101/000_MON_0001_00001.vmdat",
    "20240101\\000_MON_0001_00001.vminf",
    "20240101/000_MON_0001_0001.vmdat",
};

bool isDigits(const std::string& s, std::size_t from, std::size_t count) {
    if (s.size() < from + count) return false;
    return std::all_of(s.data() + from, s.data() + from + count, [](char c) { return c >= '0' && c <= '9'; });
}

// The fixed-length form of a system response message with a number 1..300.
bool isResponseMessageName(const std::string& name) {
    if (name.size() != kResponseNameLength || !name.ends_with(".vmdat")) return false;
    if (!isDigits(name, 0, kDatePrefixLength) || name[12] != '_' || name[16] != '_' || name[21] != '_') return false;
    const int number = CFileMng::ResponseNumberFromName(FromCp932(name));
    return number >= store::kMinResponseNumber && number <= store::kMaxResponseNumber;
}

// The other file of a message: "x.vmdat" <-> "x.vminf".
std::string companionOf(const std::string& path) {
    if (path.ends_with(".vmdat")) return path.substr(0, path.size() - 6) + ".vminf";
    if (path.ends_with(".vminf")) return path.substr(0, path.size() - 6) + ".vmdat";
    return {};
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Some clients put Telnet interrupt bytes in front of ABOR.
std::string withoutTelnetPrefix(const std::string& line) {
    std::size_t start = 0;
    while (start < line.size() && static_cast<unsigned char>(line[start]) >= 0x80) ++start;
    return line.substr(start);
}

bool hasWildcard(const std::string& s) {
    return s.find_first_of("*?[") != std::string::npos;
}

// One more line of a listing padded beyond its names: a file that is no message.
std::string paddingLine(std::uint64_t number, bool longForm, std::time_t now) {
    char name[40];
    std::snprintf(name, sizeof name, "padding_%012llu.txt", static_cast<unsigned long long>(number));
    const MainUnitDisk::Entry entry{name, false, 0, now};
    return longForm ? LongLine(entry, now) : NameLine(entry.name);
}

std::string replyLine(int code, char separator, const std::string& text) {
    return std::to_string(code) + separator + text + "\r\n";
}

}  // namespace

FtpSession::FtpSession(net::Socket control, std::uint32_t peerAddress, int id, SessionContext context)
    : control_(std::move(control)), peer_(peerAddress), id_(id), ctx_(std::move(context)), disk_(ctx_.options->root) {}

void FtpSession::log(const char* direction, const std::string& line) const {
    if (!ctx_.options->log) return;
    std::string shown = line;
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
    if (shown.size() > 200) shown = shown.substr(0, 200) + "...";
    std::fprintf(stderr, "mainunit-sim[%d] %s %s\n", id_, direction, shown.c_str());
}

bool FtpSession::replyRaw(const std::string& bytes) {
    log("<", bytes);
    if (!net::SendAll(control_, bytes, kReplySendMillis, ctx_.stop)) {
        open_ = false;
        return false;
    }
    return true;
}

bool FtpSession::reply(int code, const std::string& text) {
    if (faults_.multilineReplies && (code == kLoggedIn || code == kFileActionDone)) {
        return replyRaw(replyLine(code, '-', "Kw-TX main unit") +
                        replyLine(code, '-', "Messages are kept until deleted.") +
                        " This line starts with a space.\r\n" + replyLine(code, ' ', text));
    }
    return replyRaw(replyLine(code, ' ', text));
}

std::optional<std::string> FtpSession::readCommand() {
    for (;;) {
        auto newline = input_.find('\n');
        if (newline != std::string::npos) {
            std::string line = input_.substr(0, newline);
            input_.erase(0, newline + 1);
            if (discarding_) {
                discarding_ = false;
                continue;
            }
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            return line;
        }
        if (input_.size() > kMaxCommandLine) {
            if (!discarding_ && !reply(kUnknownCommand, "Command line too long.")) return std::nullopt;
            discarding_ = true;
            input_.clear();
        }
        switch (net::WaitFor(control_.Native(), net::kReadable, kIdleMillis, ctx_.stop)) {
        case net::Wait::Ready: break;
        case net::Wait::TimedOut: reply(kServiceClosing, "Idle time-out; closing the connection."); return std::nullopt;
        default: return std::nullopt;
        }
        char buffer[4096];
        const long n = net::ReceiveNow(control_, buffer, sizeof buffer);
        if (n == net::kWouldBlock) continue;
        if (n <= 0) return std::nullopt;
        input_.append(buffer, static_cast<std::size_t>(n));
    }
}

void FtpSession::Run() {
    faults_ = ctx_.faults();
    if (faults_.greetingCode != kReady) {
        replyRaw(replyLine(faults_.greetingCode, ' ', "Service not available, closing the connection."));
        control_.Close();
        return;
    }
    // The client checks that the text after "220" and one separator begins with the model name.
    replyRaw(replyLine(kReady, ' ', faults_.greetingModel + " FTP server ready."));
    while (open_) {
        auto line = readCommand();
        if (!line) break;
        std::string text = withoutTelnetPrefix(*line);
        auto space = text.find(' ');
        std::string verb = upper(text.substr(0, space));
        std::string argument = space == std::string::npos ? "" : text.substr(space + 1);
        log(">", verb == "PASS" ? "PASS ****" : text);
        faults_ = ctx_.faults();
        if (text.find('\0') != std::string::npos) {
            reply(kSyntaxError, "Command holds a NUL byte.");
            continue;
        }
        dispatch(verb, argument);
    }
    control_.Close();
}

void FtpSession::dispatch(const std::string& verb, const std::string& argument) {
    if (verb == "QUIT") {
        reply(kClosing, "Goodbye.");
        open_ = false;
        return;
    }
    if (verb == "USER") return onUser(argument);
    if (verb == "PASS") return onPass(argument);
    if (verb == "NOOP") return void(reply(kOk, "NOOP command successful."));
    if (verb == "SYST") return void(reply(kSystemType, "UNIX Type: L8"));
    if (verb == "FEAT") {
        replyRaw("211-Features:\r\n SIZE\r\n MDTM\r\n REST STREAM\r\n211 End\r\n");
        return;
    }
    if (!loggedIn_) return void(reply(kNotLoggedIn, "Please login with USER and PASS."));

    if (verb == "CWD" || verb == "XCWD") return onCwd(argument);
    if (verb == "CDUP" || verb == "XCUP") return onCwd("..");
    if (verb == "PWD" || verb == "XPWD") {
        std::string quoted;
        for (char c : cwd_) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        return void(reply(kPathCreated, "\"" + quoted + "\" is the current directory."));
    }
    if (verb == "TYPE") {
        std::string t = upper(argument);
        if (t == "A" || t == "A N" || t == "I" || t == "L 8") return void(reply(kOk, "Type set to " + t + "."));
        return void(reply(kBadParameter, "Type not supported."));
    }
    if (verb == "MODE")
        return void(upper(argument) == "S" ? reply(kOk, "Mode set to S.") : reply(kBadParameter, "Only stream mode."));
    if (verb == "STRU")
        return void(upper(argument) == "F" ? reply(kOk, "Structure set to F.")
                                           : reply(kBadParameter, "Only file structure."));
    if (verb == "PORT") return onPort(argument);
    if (verb == "EPRT" || verb == "EPSV" || verb == "PASV" || verb == "LPRT" || verb == "LPSV") {
        // The main unit connects back to the client: PORT is its only mode.
        return void(reply(kNotImplemented, "Only active mode (PORT) is supported."));
    }
    if (verb == "REST") {
        char* end = nullptr;
        unsigned long long offset = std::strtoull(argument.c_str(), &end, 10);
        if (argument.empty() || *end != '\0') return void(reply(kSyntaxError, "REST needs a byte offset."));
        restart_ = offset;
        return void(reply(kPending, "Restarting at " + std::to_string(offset) + "."));
    }
    if (verb == "NLST") return onList(argument, false);
    if (verb == "LIST") return onList(argument, true);
    if (verb == "RETR") return onRetr(argument);
    if (verb == "STOR") return onStor(argument);
    if (verb == "DELE") return onDele(argument);
    if (verb == "SIZE") return onSize(argument);
    if (verb == "MDTM") return onMdtm(argument);
    if (verb == "ABOR") return void(reply(kAbortDone, "ABOR command successful."));
    if (verb == "OPTS") return void(reply(kSyntaxError, "Option not understood."));
    if (verb == "MKD" || verb == "XMKD" || verb == "RMD" || verb == "XRMD" || verb == "RNFR" || verb == "RNTO" ||
        verb == "APPE" || verb == "STOU" || verb == "SITE" || verb == "ALLO" || verb == "STAT" || verb == "HELP") {
        return void(reply(kNotImplemented, verb + " is not implemented."));
    }
    reply(kUnknownCommand, "Command not understood.");
}

// ------------------------------------------------------------------ login ----

void FtpSession::onUser(const std::string& argument) {
    user_ = argument;
    userGiven_ = true;
    loggedIn_ = false;
    std::string text = "Password required for " + argument + ".";
    if (faults_.overlongReply) {
        std::string line = "331 " + text + " ";
        line.resize(kOverlongReplyChars, '=');
        replyRaw(line + "\r\n");
        return;
    }
    reply(kNeedPassword, text);
}

void FtpSession::onPass(const std::string& argument) {
    if (!userGiven_) return void(reply(kBadSequence, "Login with USER first."));
    userGiven_ = false;
    const bool accepted = !faults_.refuseLogin && user_ == ctx_.options->user && argument == ctx_.options->password;
    loggedIn_ = accepted;
    if (faults_.garbageReply) {
        replyRaw("Welcome aboard, have a nice day\r\n");
        return;
    }
    if (!accepted) return void(reply(kNotLoggedIn, "Login incorrect."));
    reply(kLoggedIn, "User " + user_ + " logged in.");
}

// ------------------------------------------------------------- directories ----

void FtpSession::onCwd(const std::string& argument) {
    if (argument.empty()) return void(reply(kSyntaxError, "CWD needs a directory."));
    std::string target = MainUnitDisk::Normalize(cwd_, argument);
    if (!disk_.IsDirectory(target)) return void(reply(kUnavailable, argument + ": No such directory."));
    cwd_ = target;
    reply(kFileActionDone, "CWD command successful.");
}

// ---------------------------------------------------------- data connection ----

void FtpSession::onPort(const std::string& argument) {
    unsigned v[6];
    char tail = 0;
    if (std::sscanf(argument.c_str(), "%u,%u,%u,%u,%u,%u%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &tail) != 6 ||
        std::any_of(std::begin(v), std::end(v), [](unsigned x) { return x > 255; })) {
        return void(reply(kSyntaxError, "Illegal PORT command."));
    }
    const std::uint32_t address = (v[0] << 24) | (v[1] << 16) | (v[2] << 8) | v[3];
    const auto port = static_cast<std::uint16_t>(v[4] * 256 + v[5]);
    // Connecting to a third party on a client's word is how bounce attacks work.
    if (address != peer_ || port == 0) return void(reply(kSyntaxError, "PORT must name the client's own address."));
    dataAddress_ = std::make_pair(address, port);
    reply(kOk, "PORT command successful.");
}

net::Socket FtpSession::openData() {
    auto address = dataAddress_;
    dataAddress_.reset();
    if (!address) {
        reply(kNoDataConnection, "Use PORT first.");
        return {};
    }
    net::Socket data = net::OpenStream(net::Mode::NonBlocking);
    if (!net::ConnectWithin(data, net::Ipv4Address(address->first, address->second), kDataConnectMillis, ctx_.stop)) {
        reply(kNoDataConnection, "Cannot open the data connection.");
        return {};
    }
    return data;
}

bool FtpSession::controlInterrupts(TransferEnd& why) {
    char buffer[1024];
    const long n = net::ReceiveNow(control_, buffer, sizeof buffer);
    if (n == 0 || (n < 0 && n != net::kWouldBlock)) {
        why = TransferEnd::ControlClosed;
        return true;
    }
    if (n > 0) input_.append(buffer, static_cast<std::size_t>(n));
    auto newline = input_.find('\n');
    if (newline == std::string::npos) return false;
    if (upper(withoutTelnetPrefix(input_.substr(0, newline)).substr(0, 4)) != "ABOR") return false;
    input_.erase(0, newline + 1);
    log(">", "ABOR");
    why = TransferEnd::Aborted;
    return true;
}

bool FtpSession::abortFollows() {
    TransferEnd why{};
    if (input_.find('\n') == std::string::npos &&
        net::WaitFor(control_.Native(), net::kReadable, kAbortGraceMillis, ctx_.stop) != net::Wait::Ready) {
        return false;
    }
    return controlInterrupts(why) && why == TransferEnd::Aborted;
}

namespace {
enum class Ready { Data, Control, Timeout, Stopped };

// Waits for the data socket (for `events`), the control connection (only when
// `watchControl`), or the stop signal.
Ready waitTransfer(net::NativeSocket data, short events, net::NativeSocket control, bool watchControl,
                   net::NativeSocket stop, int timeoutMillis) {
    net::Watch watches[] = {
        {data, events}, {watchControl ? control : net::kNoSocket, net::kReadable}, {stop, net::kReadable}};
    switch (net::WaitForAny(watches, timeoutMillis)) {
    case net::Wait::Ready: break;
    case net::Wait::TimedOut: return Ready::Timeout;
    default: return Ready::Stopped;
    }
    if (watches[2].ready) return Ready::Stopped;
    if (watches[1].ready) return Ready::Control;
    return Ready::Data;
}
}  // namespace

bool FtpSession::watchingControl() const {
    // A complete command waiting its turn needs no more reading until the transfer ends.
    return input_.find('\n') == std::string::npos && input_.size() < kMaxCommandLine;
}

std::optional<FtpSession::TransferEnd> FtpSession::awaitData(net::Socket& data, short events) {
    for (;;) {
        switch (waitTransfer(data.Native(), events, control_.Native(), watchingControl(), ctx_.stop, kDataIoMillis)) {
        case Ready::Timeout: return TransferEnd::TimedOut;
        case Ready::Stopped: return TransferEnd::Stopped;
        case Ready::Data: return std::nullopt;
        case Ready::Control: {
            TransferEnd why{};
            if (controlInterrupts(why)) return why;
            break;
        }
        }
    }
}

std::optional<FtpSession::TransferEnd> FtpSession::pauseTransfer(long long millis) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    TransferEnd why{};
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0) return std::nullopt;
        const auto ready =
            waitTransfer(net::kNoSocket, 0, control_.Native(), watchingControl(), ctx_.stop, static_cast<int>(left));
        if (ready == Ready::Stopped) return TransferEnd::Stopped;
        if (ready == Ready::Control && controlInterrupts(why)) return why;
    }
}

FtpSession::TransferEnd FtpSession::sendData(net::Socket& data, const std::function<long(char*, std::size_t)>& read,
                                             const Faults& faults) {
    std::vector<char> block(kDataBlock);
    std::uint64_t sent = 0;
    bool firstBlock = true;
    const auto started = std::chrono::steady_clock::now();
    // A slow line: a tenth of a second's worth at a time, each piece sent when its time has come.
    const std::size_t piece =
        faults.trickleBytesPerSecond > 0
            ? std::clamp<std::size_t>(faults.trickleBytesPerSecond / kTricklePiecesPerSecond, 1, kDataBlock)
            : kDataBlock;
    for (;;) {
        std::size_t want = piece;
        if (faults.dropAfterBytes > 0) {
            if (sent >= faults.dropAfterBytes) return TransferEnd::Dropped;
            want = static_cast<std::size_t>(std::min<std::uint64_t>(want, faults.dropAfterBytes - sent));
        }
        long got = read(block.data(), want);
        if (got < 0) return TransferEnd::LocalError;
        if (got == 0) return TransferEnd::Complete;
        std::size_t offset = 0;
        while (offset < static_cast<std::size_t>(got)) {
            if (auto end = awaitData(data, net::kWritable)) return *end;
            const long n = net::SendNow(data, block.data() + offset, static_cast<std::size_t>(got) - offset);
            if (n == net::kWouldBlock) continue;
            if (n <= 0) return TransferEnd::PeerClosed;
            offset += static_cast<std::size_t>(n);
        }
        sent += static_cast<std::uint64_t>(got);
        // A main unit that falls silent in the middle of a file.
        if (firstBlock && faults.stallMillis > 0) {
            if (auto end = pauseTransfer(faults.stallMillis)) return *end;
        }
        if (faults.trickleBytesPerSecond > 0) {
            const auto due = started + std::chrono::milliseconds(sent * 1000 / faults.trickleBytesPerSecond);
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now()).count();
            if (auto end = pauseTransfer(wait)) return *end;
        }
        firstBlock = false;
    }
}

FtpSession::TransferEnd FtpSession::receiveData(net::Socket& data, AtomicFile& out, std::uint64_t limit,
                                                bool& tooLarge) {
    std::vector<char> block(kDataBlock);
    std::uint64_t received = 0;
    for (;;) {
        if (auto end = awaitData(data, net::kReadable)) return *end;
        const long n = net::ReceiveNow(data, block.data(), block.size());
        if (n == net::kWouldBlock) continue;
        if (n < 0) return TransferEnd::PeerClosed;
        if (n == 0) return TransferEnd::Complete;
        received += static_cast<std::uint64_t>(n);
        if (received > limit) {
            tooLarge = true;
            return TransferEnd::LocalError;
        }
        if (!out.Write(block.data(), static_cast<std::size_t>(n))) return TransferEnd::LocalError;
    }
}

void FtpSession::endTransfer(TransferEnd end, net::Socket& data, int successCode, const std::string& successText) {
    data.Close();
    switch (end) {
    case TransferEnd::Complete: reply(successCode, successText); break;
    case TransferEnd::PeerClosed:
    case TransferEnd::TimedOut: reply(kTransferAborted, "Data connection closed; transfer aborted."); break;
    case TransferEnd::Aborted:
        reply(kTransferAborted, "Transfer aborted.");
        reply(kAbortDone, "ABOR command successful.");
        break;
    case TransferEnd::LocalError: reply(kLocalError, "Local error in processing."); break;
    case TransferEnd::ControlClosed:
    case TransferEnd::Dropped:
    case TransferEnd::Stopped:
        open_ = false;
        control_.Close();
        break;
    }
}

// ----------------------------------------------------------------- listings ----

std::string FtpSession::listing(const std::string& argument, bool& longForm, const Faults& faults, int& refusal) {
    refusal = 0;
    std::string rest = argument;
    // Options first ("-l", "-la"); "l" asks for the long form.
    while (!rest.empty() && rest[0] == '-') {
        auto space = rest.find(' ');
        std::string option = rest.substr(0, space);
        if (option.find('l') != std::string::npos) longForm = true;
        rest = space == std::string::npos ? "" : rest.substr(space + 1);
        while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    }
    std::string directory = cwd_;
    std::string pattern;
    std::vector<MainUnitDisk::Entry> entries;
    if (!rest.empty()) {
        std::string target = MainUnitDisk::Normalize(cwd_, rest);
        if (hasWildcard(rest)) {
            directory = ParentOf(target);
            pattern = BaseName(target);
        } else if (!disk_.IsDirectory(target)) {
            auto single = disk_.Stat(target);
            if (!single) {
                refusal = kUnavailable;
                return {};
            }
            entries.push_back(*single);
            directory.clear();
        } else {
            directory = target;
        }
    }
    if (!directory.empty()) {
        if (!disk_.IsDirectory(directory)) {
            refusal = kUnavailable;
            return {};
        }
        for (auto& e : disk_.List(directory)) {
            if (pattern.empty() || MatchesWildcard(pattern, e.name)) entries.push_back(std::move(e));
        }
    }
    // The main unit answers a pattern that matches nothing with 550, before any data connection.
    if (!pattern.empty() && entries.empty()) {
        refusal = kUnavailable;
        return {};
    }
    const std::time_t now = std::time(nullptr);
    std::string out;
    auto add = [&](const MainUnitDisk::Entry& e) { out += longForm ? LongLine(e, now) : NameLine(e.name); };
    for (const auto& e : entries) add(e);
    if (faults.hostileListing) {
        for (const char* name : kHostileNames) {
            if (!pattern.empty() && !MatchesWildcard(pattern, name)) continue;
            add(MainUnitDisk::Entry{name, false, 4096, now});
        }
    }
    for (std::uint64_t i = 1; out.size() < faults.hugeListingBytes; ++i) out += paddingLine(i, longForm, now);
    return out;
}

void FtpSession::onList(const std::string& argument, bool longForm) {
    const Faults faults = faults_;
    int refusal = 0;
    std::string text = listing(argument, longForm, faults, refusal);
    if (refusal != 0) {
        dataAddress_.reset();
        return void(reply(refusal, "No files found."));
    }
    net::Socket data = openData();
    if (!data.IsOpen()) return;
    if (!reply(kOpening, "Opening ASCII mode data connection for file list.")) return;
    std::size_t position = 0;
    std::uint64_t more = 0;
    const std::time_t now = std::time(nullptr);
    auto read = [&](char* buffer, std::size_t size) -> long {
        if (position == text.size() && faults.endlessListing) {
            text = paddingLine(++more, longForm, now);
            position = 0;
        }
        std::size_t n = std::min(size, text.size() - position);
        std::copy_n(text.data() + position, n, static_cast<char*>(buffer));
        position += n;
        return static_cast<long>(n);
    };
    endTransfer(sendData(data, read, faults), data, kTransferDone, "Transfer complete.");
}

// -------------------------------------------------------------------- files ----

void FtpSession::onRetr(const std::string& argument) {
    const Faults faults = faults_;
    const std::uint64_t restart = std::exchange(restart_, 0);
    std::string target = MainUnitDisk::Normalize(cwd_, argument);
    auto local = disk_.LocalPath(target);
    FileHandle in;
    if (!argument.empty() && local) in = OpenRegularFile(*local, Access::Read);
    if (!in) {
        dataAddress_.reset();
        return void(reply(kUnavailable, argument + ": No such file."));
    }
    if (auto refused = faults.refuseRetr.find(BaseName(target)); refused != faults.refuseRetr.end()) {
        dataAddress_.reset();
        return void(reply(refused->second, argument + ": refused."));
    }
    const std::uint64_t size = in.Size().value_or(0);
    std::uint64_t position = std::min(restart, size);
    net::Socket data = openData();
    if (!data.IsOpen()) return;
    if (!reply(kOpening, "Opening BINARY mode data connection for " + BaseName(target) + " (" + std::to_string(size) +
                             " bytes).")) {
        return;
    }
    // What is sent: the file, or a main unit's wrong idea of its length.
    const std::int64_t change = std::max(faults.retrLengthChange, -static_cast<std::int64_t>(size));
    const std::uint64_t sendTotal = static_cast<std::uint64_t>(static_cast<std::int64_t>(size) + change);
    auto read = [&](char* buffer, std::size_t n) -> long {
        if (faults.endlessRetr && position >= size) {
            // Past the end the file seems to go on: more bytes, for as long as anyone takes them.
            std::memset(buffer, kEndlessFill, n);
            return static_cast<long>(n);
        }
        n = static_cast<std::size_t>(std::min<std::uint64_t>(n, sendTotal - std::min(position, sendTotal)));
        if (n == 0) return 0;
        if (position >= size) {
            std::memset(buffer, 0, n);
            position += n;
            return static_cast<long>(n);
        }
        const auto got = in.ReadAt(position, buffer, std::min<std::uint64_t>(n, size - position));
        if (!got) return -1;
        position += *got;
        return static_cast<long>(*got);
    };
    if (faults.errorAfterTransfer) {
        endTransfer(sendData(data, read, faults), data, kLocalError, "Transfer failed on the main unit.");
    } else {
        endTransfer(sendData(data, read, faults), data, kTransferDone, "Transfer complete.");
    }
}

void FtpSession::onStor(const std::string& argument) {
    const Faults faults = faults_;
    restart_ = 0;
    const std::string target = MainUnitDisk::Normalize(cwd_, argument);
    const std::string name = BaseName(target);
    auto refuse = [this](int code, const std::string& text) {
        dataAddress_.reset();
        reply(code, text);
    };
    if (ParentOf(target) != "/outou" || !isResponseMessageName(name) || !disk_.IsDirectory("/outou")) {
        return refuse(kNameNotAllowed, "Only system response messages can be stored, as /outou/<name>.");
    }
    if (faults.noRoom) return refuse(kBusy, "No room for another message.");
    if (faults.inUse.count(name)) return refuse(kBusy, "The message is in use.");
    const std::string identity = name.substr(kResponseIdentityAt, kResponseIdentityLength);
    const std::string date = name.substr(0, kDatePrefixLength);
    // Same identity: the same message. A stored copy with a later date wins.
    auto conflicting = [&]() -> std::optional<std::pair<int, std::string>> {
        for (const auto& e : disk_.List("/outou")) {
            if (e.directory || e.name.size() != kResponseNameLength) continue;
            if (e.name.compare(kResponseIdentityAt, kResponseIdentityLength, identity) != 0) continue;
            if (faults.inUse.count(e.name)) return std::make_pair(kBusy, std::string("The message is in use."));
            if (e.name.compare(0, kDatePrefixLength, date) > 0) {
                return std::make_pair(kBusy, "A newer copy of the message is stored: " + e.name);
            }
        }
        return std::nullopt;
    };
    {
        std::lock_guard lock(*ctx_.diskMutex);
        if (auto c = conflicting()) return refuse(c->first, c->second);
    }
    auto finalPath = disk_.LocalPath(target);
    if (!finalPath) return refuse(kNameNotAllowed, "File name not allowed.");
    // The upload goes to a hidden temporary file first, so a broken transfer
    // never replaces or half-writes a stored message. The temporary file is
    // discarded (reset) before any reply, so a client never sees it.
    std::optional<AtomicFile> upload(std::in_place, *finalPath);
    if (!upload->Ok()) return refuse(kLocalError, "Cannot write on the main unit.");
    net::Socket data = openData();
    if (!data.IsOpen()) return;
    if (!reply(kOpening, "Opening BINARY mode data connection for " + name + ".")) return;
    bool tooLarge = false;
    TransferEnd end = receiveData(data, *upload, kMaxStoredBytes, tooLarge);
    // A client that cancels closes the data connection and then sends ABOR:
    // the end of the data alone does not tell a whole upload from a cut one.
    if (end == TransferEnd::Complete && abortFollows()) end = TransferEnd::Aborted;
    if (tooLarge) {
        upload.reset();
        data.Close();
        return void(reply(kExceeded, "The message is too large."));
    }
    if (end != TransferEnd::Complete) {
        upload.reset();
        return endTransfer(end, data, kTransferDone, {});
    }
    std::lock_guard lock(*ctx_.diskMutex);
    // Another session may have stored a newer copy meanwhile.
    if (auto c = conflicting()) {
        upload.reset();
        data.Close();
        return void(reply(c->first, c->second));
    }
    if (!upload->Commit()) {
        upload.reset();
        return endTransfer(TransferEnd::LocalError, data, kTransferDone, {});
    }
    std::error_code ec;
    for (const auto& e : disk_.List("/outou")) {
        if (e.directory || e.name == name || e.name.size() != kResponseNameLength) continue;
        if (e.name.compare(kResponseIdentityAt, kResponseIdentityLength, identity) == 0) {
            if (auto old = disk_.LocalPath("/outou/" + e.name)) fs::remove(*old, ec);
        }
    }
    endTransfer(TransferEnd::Complete, data, kTransferDone, "Transfer complete.");
}

void FtpSession::onDele(const std::string& argument) {
    const Faults faults = faults_;
    const std::string target = MainUnitDisk::Normalize(cwd_, argument);
    std::lock_guard lock(*ctx_.diskMutex);
    if (auto failing = faults.failDele.find(BaseName(target)); failing != faults.failDele.end()) {
        if (failing->second != 0) return void(reply(failing->second, argument + ": failed."));
        open_ = false;
        return;
    }
    auto local = disk_.LocalPath(target);
    std::error_code ec;
    if (argument.empty() || !local || !fs::is_regular_file(*local, ec)) {
        return void(reply(kUnavailable, argument + ": No such file."));
    }
    const std::string companion = companionOf(target);
    if (faults.inUse.count(BaseName(target)) || (!companion.empty() && faults.inUse.count(BaseName(companion)))) {
        return void(reply(kBusy, "The message is in use."));
    }
    std::string head;
    if (ReadRange(*local, 0, block::kFlagsOffset + 1, head) && head.size() == block::kFlagsOffset + 1 &&
        (static_cast<unsigned char>(head[block::kFlagsOffset]) & block::kFlagProtected)) {
        return void(reply(kUnavailable, "The message is protected."));
    }
    // A message is one unit: deleting either of its files removes both.
    if (!fs::remove(*local, ec)) return void(reply(kUnavailable, argument + ": Cannot delete."));
    if (!companion.empty()) {
        if (auto other = disk_.LocalPath(companion)) fs::remove(*other, ec);
    }
    reply(kFileActionDone, "DELE command successful.");
}

void FtpSession::onSize(const std::string& argument) {
    auto e = disk_.Stat(MainUnitDisk::Normalize(cwd_, argument));
    if (argument.empty() || !e || e->directory) return void(reply(kUnavailable, argument + ": No such file."));
    reply(kFileStatus, std::to_string(e->size));
}

void FtpSession::onMdtm(const std::string& argument) {
    auto e = disk_.Stat(MainUnitDisk::Normalize(cwd_, argument));
    if (argument.empty() || !e || e->directory) return void(reply(kUnavailable, argument + ": No such file."));
    const std::tm tm = UniversalCalendarTime(e->modified);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    reply(kFileStatus, text);
}

}  // namespace plova::sim
