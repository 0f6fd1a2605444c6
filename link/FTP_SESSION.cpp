#include "link/FTP_SESSION.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "link/FtpReply.h"
#include "link/RemoteListing.h"
#include "platform/File.h"
#include "platform/Ports.h"
#include "platform/Text.h"

namespace plova {
namespace {

constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::size_t kPeekBytes = 1024;
using SteadyClock = std::chrono::steady_clock;
constexpr int kAbortRepliesMax = 4;  // the broken transfer's answers, then 225
constexpr int kServerError = 400;    // 4xx and 5xx: the main unit reports a failure
constexpr int kServerErrorEnd = 600;
constexpr std::int64_t kMillisPerSecond = 1000;

std::u16string withCrLf(std::u16string_view head, std::u16string_view argument = {}) {
    std::u16string s(head);
    s += argument;
    s += kCrLf;
    return s;
}

SteadyClock::time_point after(int millis) {
    return SteadyClock::now() + std::chrono::milliseconds(millis);
}

// Milliseconds left until `deadline`, never below 0.
int millisLeft(SteadyClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7FFFFFFF));
}

// A line whose code says the main unit failed (4xx or 5xx).
bool saysFailure(std::u16string_view line) {
    const std::optional<int> code = ftp::ReplyCode(line);
    return code && *code >= kServerError && *code < kServerErrorEnd;
}

// A command or data connection the main unit did not take: refused with a
// reply, or no answer at all.
ftp::ListResult refusal(ftp::Reply reply) {
    return reply.outcome == ftp::ReplyOutcome::Refused ? ftp::ListResult::NotStarted : ftp::ListResult::Failed;
}

}  // namespace

int ftp::ResultCode(ListResult result) {
    switch (result) {
    case ListResult::Listed: return 1;
    case ListResult::NoSuchDirectory: return -2;
    case ListResult::NotStarted: return 0;
    case ListResult::Failed: return -1;
    }
    return -1;
}

ftp::StoreResult ftp::StoreResultOf(Reply end) {
    switch (end.outcome) {
    case ReplyOutcome::Accepted: return {StoreOutcome::Stored, 0};
    case ReplyOutcome::Refused:
        return {end.code == kActionNotTaken ? StoreOutcome::NotTaken : StoreOutcome::Refused, end.code};
    case ReplyOutcome::NoReply: break;
    }
    return {StoreOutcome::Failed, 0};
}

ftp::DeleteResult ftp::DeleteResultOf(Reply reply) {
    switch (reply.outcome) {
    case ReplyOutcome::Accepted: return {DeleteOutcome::Deleted, 0};
    case ReplyOutcome::Refused:
        if (reply.code == kActionNotTaken) return {DeleteOutcome::InUse, reply.code};
        if (reply.code == kFileUnavailable) return {DeleteOutcome::Unavailable, reply.code};
        return {DeleteOutcome::Refused, reply.code};
    case ReplyOutcome::NoReply: break;
    }
    return {DeleteOutcome::Failed, 0};
}

FTP_SESSION::FTP_SESSION(Timeouts t) : timeouts(t) {}

FTP_SESSION::~FTP_SESSION() {
    Close();
}

void FTP_SESSION::Close() {
    CloseData();
    control.Close();
}

void FTP_SESSION::CloseData() {
    listen.Close();
    data.Close();
}

// ------------------------------------------------------------ control side

bool FTP_SESSION::SendCommand(std::u16string_view command) {
    // Only the final CR LF may end the command: a CR or LF inside an argument
    // (a name from a listing, a user name) would let it carry a second command.
    if (!command.ends_with(kCrLf)) return false;
    const std::u16string_view body = command.substr(0, command.size() - kCrLf.size());
    if (body.find_first_of(u"\r\n") != std::u16string_view::npos) return false;
    if (!control.IsOpen()) return false;

    const std::string bytes = ToCp932(command);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (net::WaitWritable(control, timeouts.replyMillis) != net::Wait::Ready) return false;
        const long n = net::SendSome(control, bytes.data() + sent, bytes.size() - sent);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

FTP_SESSION::LineEnd FTP_SESSION::readLine(std::u16string& line, int maxLength, int waitMillis, Deadline deadline) {
    line.clear();
    if (!control.IsOpen() || maxLength < 2) return LineEnd::Failed;
    const std::size_t limit = static_cast<std::size_t>(maxLength) - 1;

    // Bytes are looked at before they are taken, and only the bytes of this
    // line are taken: the next reply stays in the socket for its own reader.
    // Each byte has its wait, and the line as a whole its deadline: a main
    // unit that sends a byte now and then cannot hold the program.
    bool late = false;
    const auto awaitByte = [&] {
        const int left = millisLeft(deadline);
        const net::Wait w = left == 0 ? net::Wait::TimedOut : net::WaitReadable(control, std::min(waitMillis, left));
        if (w == net::Wait::Ready) return true;
        late = w == net::Wait::TimedOut && left < waitMillis;
        return false;
    };
    char peeked[kPeekBytes];
    while (line.size() < limit) {
        if (!awaitByte()) return late ? LineEnd::Late : LineEnd::Failed;
        const long n = net::Peek(control, peeked, std::min(limit - line.size(), sizeof peeked));
        if (n < 0) return LineEnd::Failed;
        if (n == 0) return LineEnd::Closed;  // the main unit closed the connection

        std::size_t take = 0;
        bool ended = false;
        while (take < static_cast<std::size_t>(n)) {
            const char16_t c = static_cast<unsigned char>(peeked[take++]);
            if (c == u'\n' && !line.empty() && line.back() == u'\r') {
                line.pop_back();
                ended = true;
                break;
            }
            line.push_back(c);
            if (line.size() >= limit) break;
        }
        if (net::Receive(control, peeked, take) != static_cast<long>(take)) return LineEnd::Failed;
        // One window message per byte, as a byte-wise reader would dispatch.
        for (std::size_t i = 0; i < take; ++i) PumpOne();
        if (ended) return LineEnd::CrLf;
    }
    // A CR that filled the line may be the first half of its CR LF. Its LF
    // ends this line; left behind, it would start the next read and pull the
    // following reply into the rest of this one.
    if (line.back() == u'\r' && awaitByte()) {
        char next = 0;
        if (net::Peek(control, &next, 1) == 1 && next == '\n' && net::Receive(control, &next, 1) == 1) {
            PumpOne();
            line.pop_back();
            return LineEnd::CrLf;
        }
    }
    return LineEnd::Cut;
}

bool FTP_SESSION::ReadReplyLine(std::u16string& line, int maxLength, bool longWait) {
    const int wait = longWait ? timeouts.longReplyMillis : timeouts.replyMillis;
    return isLine(readLine(line, maxLength, wait, after(ftp::kReplyDeadlineFactor * wait)));
}

bool FTP_SESSION::readReply(std::u16string& first, int maxLength, int waitMillis) {
    const Deadline deadline = after(ftp::kReplyDeadlineFactor * waitMillis);
    const LineEnd how = readLine(first, maxLength, waitMillis, deadline);
    // A line the main unit broke off by closing is no reply (a greeting cut
    // short would otherwise pass for another model's); an empty line has no
    // code and answers nothing.
    if (how == LineEnd::Closed || !isLine(how) || first.empty()) return false;

    // The rest of the reply belongs to it: leaving it in the socket would make
    // the next command read it as its own answer. However long it is, it is
    // read to its end, as long as the reply's deadline allows.
    std::u16string tail;
    bool late = false;
    auto skipRestOfLine = [&](LineEnd end) {
        while (end == LineEnd::Cut) {
            end = readLine(tail, ftp::kReplyLineMax, timeouts.replyMillis, deadline);
            if (!isLine(end)) {
                late = end == LineEnd::Late;
                return false;
            }
        }
        return end != LineEnd::Closed;
    };
    if (!skipRestOfLine(how)) return !late;

    // "ddd-" opens a block that ends with a line "ddd " of the same code.
    const std::size_t codeChars = first.find_first_of(u" -");
    if (!ftp::ReplyCode(first) || codeChars == std::u16string::npos || first[codeChars] != u'-') return true;
    const std::u16string closing = first.substr(0, codeChars) + u" ";
    const std::u16string bare = first.substr(0, codeChars);
    for (;;) {
        const LineEnd end = readLine(tail, ftp::kReplyLineMax, timeouts.replyMillis, deadline);
        if (end == LineEnd::Late) return false;
        if (!isLine(end)) break;
        const bool last = tail.starts_with(closing) || tail == bare;
        if (!skipRestOfLine(end)) return !late;
        if (last) break;
    }
    return true;
}

ftp::Reply FTP_SESSION::Command(std::u16string_view command, std::u16string* rawLine) {
    if (!command.empty() && !SendCommand(command)) return ftp::kNoReply;
    std::u16string line;
    const bool replied = readReply(line, ftp::kReplyLineMax, timeouts.replyMillis);
    if (rawLine) *rawLine = line;
    if (!replied) return ftp::kNoReply;
    return ftp::ClassifyReply(line);
}

ftp::Reply FTP_SESSION::ReadTransferEnd() {
    std::u16string line;
    const int wait = CancelRequested() ? timeouts.replyMillis : timeouts.longReplyMillis;
    if (!readReply(line, ftp::kReplyLineMax, wait)) return ftp::kNoReply;
    return ftp::ClassifyTransferEnd(line);
}

void FTP_SESSION::Drain() {
    // A main unit that never stops talking is left talking: the next command
    // then fails on its own deadline instead of this one never returning.
    const Deadline deadline = after(timeouts.drainTotalMillis);
    std::u16string line;
    for (int lines = 0; lines < ftp::kDrainMaxLines; ++lines) {
        PumpOne();
        if (!isLine(readLine(line, ftp::kDrainLineMax, timeouts.drainMillis, deadline)) || line.empty()) break;
    }
}

void FTP_SESSION::ClimbToRoot() {
    for (int i = 0; i < ftp::kRootClimbSteps; ++i)
        if (!Command(u"CWD ../\r\n").Accepted()) break;
}

// --------------------------------------------------------------- data side

bool FTP_SESSION::openListener(std::uint16_t& port, sockaddr_in& address) {
    // The data connection comes to the address the main unit already reaches us on.
    auto local = net::LocalAddress(control);
    if (!local) return false;
    local->sin_port = 0;
    listen = net::OpenStream();
    if (!net::BindAndListen(listen, *local, ftp::kListenBacklog)) return false;
    auto bound = net::LocalAddress(listen);
    if (!bound) return false;
    address = *bound;
    port = ntohs(bound->sin_port);
    return true;
}

std::u16string FTP_SESSION::portCommand(const sockaddr_in& address, std::uint16_t port) const {
    std::string host = net::Dotted(address);
    std::replace(host.begin(), host.end(), '.', ',');
    char text[64];
    std::snprintf(text, sizeof text, "PORT %s,%ld,%ld\r\n", host.c_str(), static_cast<long>(port / 256),
                  static_cast<long>(port % 256));
    return FromUtf8(text);
}

ftp::Reply FTP_SESSION::OpenDataActive(std::u16string_view transferCommand) {
    CloseData();
    std::uint16_t port = 0;
    sockaddr_in address{};
    if (!openListener(port, address)) {
        listen.Close();
        return ftp::kNoReply;
    }
    ftp::Reply result = Command(portCommand(address, port));
    if (result.Accepted()) result = Command(transferCommand);
    if (!result.Accepted()) {
        listen.Close();
        return result;
    }
    // Only the main unit may connect: a connection from another host is
    // refused and the wait goes on, so no one else can slip data in.
    const auto mainUnit = net::PeerAddress(control);
    const Deadline deadline = after(timeouts.dataMillis);
    for (;;) {
        const int left = millisLeft(deadline);
        if (left == 0) break;
        net::Socket peer = net::AcceptWithin(listen, left);
        if (!peer.IsOpen()) break;
        const auto from = net::PeerAddress(peer);
        if (mainUnit && from && from->sin_addr.s_addr == mainUnit->sin_addr.s_addr) {
            data = std::move(peer);
            listen.Close();
            return ftp::kAccepted;
        }
    }
    listen.Close();
    return ftp::kNoReply;
}

FTP_SESSION::DataPace FTP_SESSION::startPace(std::int64_t expectedBytes) const {
    const auto now = SteadyClock::now();
    auto allowed = std::chrono::milliseconds(timeouts.transferMillis);
    if (expectedBytes > 0 && timeouts.slowestBytesPerSecond > 0)
        allowed += std::chrono::milliseconds(expectedBytes * kMillisPerSecond / timeouts.slowestBytesPerSecond);
    return {now + std::chrono::milliseconds(ftp::kBlockDeadlineFactor * timeouts.dataMillis), now + allowed, 0};
}

long FTP_SESSION::receiveData(char* buffer, std::size_t size, DataPace& pace) {
    // Bytes that keep coming, but too slowly to ever end a block or the
    // transfer, fail it.
    const int left = std::min(millisLeft(pace.blockDeadline), millisLeft(pace.transferDeadline));
    if (left == 0) return -1;
    const net::Wait w = net::WaitReadable(data, std::min(timeouts.dataMillis, left));
    if (w == net::Wait::TimedOut) return left < timeouts.dataMillis ? -1 : 0;  // a silence ends the data
    if (w == net::Wait::Failed) return -1;
    const long n = net::Receive(data, buffer, size);
    if (n <= 0) return n;
    pace.partialBlock += static_cast<std::size_t>(n);
    if (pace.partialBlock >= ftp::kBlockBytes) {
        pace.partialBlock %= ftp::kBlockBytes;
        pace.blockDeadline = after(ftp::kBlockDeadlineFactor * timeouts.dataMillis);
    }
    return n;
}

std::size_t FTP_SESSION::takeBlocks(std::size_t n, std::size_t& blockFill, bool watchCancel, bool& cancelled,
                                    int& blocksStarted) {
    std::size_t taken = 0;
    while (taken < n) {
        if (blockFill == 0) {
            PumpOne();
            if (watchCancel && CancelRequested()) {
                cancelled = true;
                break;
            }
            ++blocksStarted;
        }
        const std::size_t take = std::min(n - taken, ftp::kBlockBytes - blockFill);
        taken += take;
        blockFill = (blockFill + take) % ftp::kBlockBytes;
    }
    return taken;
}

FTP_SESSION::ListingEnd FTP_SESSION::receiveListing(std::string& bytes, bool watchCancel) {
    bytes.clear();
    std::vector<char> block(ftp::kReceiveBytes);
    DataPace pace = startPace(-1);
    std::size_t blockFill = 0;
    bool cancelled = false;
    for (;;) {
        if (watchCancel && CancelRequested()) cancelled = true;
        if (cancelled) {
            Abort(false);
            return kListingCancelled;
        }
        const long n = receiveData(block.data(), block.size(), pace);
        if (n < 0) return kListingFailed;
        if (n == 0) return kListingComplete;
        int blocksStarted = 0;
        const std::size_t taken =
            takeBlocks(static_cast<std::size_t>(n), blockFill, watchCancel, cancelled, blocksStarted);
        if (bytes.size() + taken > listingCapBytes) return kListingTooLong;
        bytes.append(block.data(), taken);
    }
}

ftp::ListResult FTP_SESSION::listInto(std::u16string_view nlst, std::u16string& listing, int endLineMax,
                                      bool watchCancel, ftp::Reply& opened) {
    listing.clear();
    opened = OpenDataActive(nlst);
    if (!opened.Accepted()) return ftp::ListResult::NotStarted;

    std::string bytes;
    const ListingEnd received = receiveListing(bytes, watchCancel);
    CloseData();
    if (received == kListingCancelled) {
        // Abort has taken the main unit's answers; what arrived is kept.
        listing = FromCp932(bytes);
        return ftp::ListResult::Listed;
    }
    if (received != kListingComplete) {
        // Broken off, too slow or beyond the cap: closing the data connection
        // stops the main unit sending the rest. It answers on the control
        // connection all the same, and that answer is taken when it comes, so
        // the session stays in step; the listing itself is a failure.
        if (net::WaitReadable(control, timeouts.retrieveEndMillis) == net::Wait::Ready) {
            std::u16string end;
            static_cast<void>(readReply(end, endLineMax, timeouts.replyMillis));  // the listing has failed anyway
        }
        return ftp::ListResult::Failed;
    }
    std::u16string end;
    if (!readReply(end, endLineMax, timeouts.replyMillis)) return ftp::ListResult::Failed;
    // The main unit says the listing broke off: a part of a listing must not
    // pass for the whole box.
    if (saysFailure(end)) return ftp::ListResult::Failed;
    listing = FromCp932(bytes);
    return ftp::ListResult::Listed;
}

ftp::ListResult FTP_SESSION::ListFolders(std::u16string& root, std::u16string& answering, std::u16string& extension) {
    root.clear();
    answering.clear();
    extension.clear();
    ClimbToRoot();

    struct Step {
        std::u16string_view cwd;
        std::u16string* out;
    };
    const Step steps[] = {{u"", &root}, {u"CWD /rusuroku\r\n", &answering}, {u"CWD /naisen\r\n", &extension}};
    for (const Step& step : steps) {
        if (!step.cwd.empty()) {
            if (const ftp::Reply r = Command(step.cwd); !r.Accepted()) return refusal(r);
        }
        ftp::Reply opened;
        const ftp::ListResult r = listInto(u"NLST\r\n", *step.out, ftp::kListEndLineMax, false, opened);
        if (!opened.Accepted()) return refusal(opened);
        if (r != ftp::ListResult::Listed) return r;
    }
    // Every name becomes a folder on the disk: a listing no main unit could
    // give is refused before anyone makes one from it.
    if (listing::NamesTooManyBoxes(answering) || listing::NamesTooManyBoxes(extension)) {
        answering.clear();
        extension.clear();
        return ftp::ListResult::Failed;
    }
    return ftp::ListResult::Listed;
}

ftp::ListResult FTP_SESSION::ListBox(std::u16string_view directory, int kind, std::u16string& listing) {
    listing.clear();
    const ftp::Reply cwd = Command(withCrLf(u"CWD ", directory));
    if (cwd.RefusedWith(ftp::kFileUnavailable)) return ftp::ListResult::NoSuchDirectory;
    if (!cwd.Accepted()) return ftp::ListResult::NotStarted;

    const std::u16string_view nlst = kind == ftp::kListInfo    ? u"NLST *.vminf\r\n"
                                     : kind == ftp::kListVoice ? u"NLST *.vmdat\r\n"
                                                               : u"NLST\r\n";
    ftp::Reply opened;
    const ftp::ListResult r = listInto(nlst, listing, ftp::kBoxListEndLineMax, false, opened);
    // No file matches the pattern: the main unit answers 550, an empty listing.
    if (opened.RefusedWith(ftp::kFileUnavailable)) return ftp::ListResult::Listed;
    if (!opened.Accepted()) return ftp::ListResult::NotStarted;
    return r;
}

ftp::ListResult FTP_SESSION::ListBoxLong(std::u16string_view directory, int kind, std::u16string& listing,
                                         long& lengthBytes) {
    listing.clear();
    lengthBytes = 0;
    const ftp::Reply cwd = Command(withCrLf(u"CWD ", directory));
    if (cwd.RefusedWith(ftp::kFileUnavailable)) return ftp::ListResult::NoSuchDirectory;
    if (!cwd.Accepted()) return refusal(cwd);

    const std::u16string_view nlst = kind == ftp::kListVoice ? u"NLST -l *.vmdat\r\n" : u"NLST -l\r\n";
    ftp::Reply opened;
    const ftp::ListResult r = listInto(nlst, listing, ftp::kBoxListEndLineMax, true, opened);
    if (opened.RefusedWith(ftp::kFileUnavailable)) return ftp::ListResult::Listed;
    if (!opened.Accepted()) return refusal(opened);
    lengthBytes = static_cast<long>(listing.size() * sizeof(char16_t));
    return r;
}

namespace {

// Retrieve's sink: the file under the local directory, created when the
// transfer starts.
class FileSink final : public FTP_SESSION::RetrieveSink {
public:
    explicit FileSink(std::filesystem::path path) : path_(std::move(path)) {}
    bool Open() override {
        file_ = OpenForRewrite(path_);
        return file_.IsOpen();
    }
    // A full disk must not leave a short file that counts as retrieved.
    bool Write(const char* bytes, std::size_t size) override { return file_.WriteAll(bytes, size); }
    bool Close() override { return file_.CloseChecked(); }

private:
    std::filesystem::path path_;
    FileHandle file_;
};

}  // namespace

ftp::TransferResult FTP_SESSION::Retrieve(std::u16string_view remoteName, std::u16string_view localName,
                                          bool resetProgress, bool noProgress, std::int64_t expectedBytes) {
    // The local name becomes a path: it must be one plain name inside the local directory.
    if (!listing::IsSafeName(localName)) return ftp::TransferResult::Failed;
    FileSink sink(localDirectory / ToUtf8(localName));
    return RetrieveTo(remoteName, sink, resetProgress, noProgress, expectedBytes);
}

ftp::TransferResult FTP_SESSION::RetrieveTo(std::u16string_view remoteName, RetrieveSink& sink, bool resetProgress,
                                            bool noProgress, std::int64_t expectedBytes) {
    const ftp::Reply opened = OpenDataActive(withCrLf(u"RETR ", remoteName));
    if (opened.outcome == ftp::ReplyOutcome::NoReply) return ftp::TransferResult::Failed;
    if (opened.RefusedWith(ftp::kFileUnavailable)) return ftp::TransferResult::Unavailable;
    if (!opened.Accepted()) return ftp::TransferResult::Refused;

    bool failed = !sink.Open();
    bytesReceived = 0;
    if (resetProgress) progressCount = 0;
    const WindowHandle window = CurrentPorts().progress->Find(std::u16string(ftp::kDownloadWindowCaption));

    // Whatever has arrived is read at once, then handed on block by block of
    // ftp::kBlockBytes, the last one counted even when it is short: each
    // block dispatches one window message, is where a cancel takes effect and
    // moves the bar one step.
    std::vector<char> buffer(ftp::kReceiveBytes);
    // More than the file can hold is never written: a main unit that goes on
    // sending past the listed size (or past any message, when none was
    // listed) fails the file there, before it fills the disk.
    const std::uint64_t limit = expectedBytes >= 0 ? static_cast<std::uint64_t>(expectedBytes) : unknownSizeCapBytes;
    std::uint64_t total = 0;
    DataPace pace = startPace(expectedBytes);
    std::size_t blockFill = 0;  // bytes of the block under way
    bool cancelled = false;
    while (!failed && !cancelled) {
        if (CancelRequested()) {
            cancelled = true;
            break;
        }
        const long n = receiveData(buffer.data(), buffer.size(), pace);
        if (n < 0) failed = true;
        if (n < 1) break;
        int blocksStarted = 0;
        const std::size_t taken = takeBlocks(static_cast<std::size_t>(n), blockFill, true, cancelled, blocksStarted);
        total += taken;
        if (total > limit) {
            failed = true;
            break;
        }
        if (taken > 0 && !sink.Write(buffer.data(), taken)) {
            failed = true;
            break;
        }
        bytesReceived += static_cast<std::int32_t>(taken);
        for (int i = 0; i < blocksStarted && !noProgress; ++i) {
            ++progressCount;
            CurrentPorts().progress->Send(window, msg::kBarPosition, progressCount, 0);
        }
    }
    if (cancelled) Abort(false);
    if (!sink.Close()) failed = true;
    CloseData();

    // Abort has already exchanged its replies with the main unit; waiting for
    // another would only hold the user up.
    if (CancelRequested()) return ftp::TransferResult::Cancelled;

    // The main unit's word on the transfer. A 4xx or 5xx means the file is not
    // complete, whatever arrived.
    if (net::WaitReadable(control, timeouts.retrieveEndMillis) != net::Wait::Ready) return ftp::TransferResult::Failed;
    std::u16string end;
    if (!readReply(end, ftp::kReplyLineMax, timeouts.replyMillis)) return ftp::TransferResult::Failed;
    if (saysFailure(end)) return ftp::TransferResult::Failed;
    return failed ? ftp::TransferResult::Failed : ftp::TransferResult::Done;
}

ftp::StoreResult FTP_SESSION::Store(const void* bytes, std::size_t length, std::u16string_view remoteName) {
    ClimbToRoot();
    const ftp::Reply opened = OpenDataActive(withCrLf(u"STOR /outou/", remoteName));
    if (!opened.Accepted()) return ftp::StoreResultOf(opened);

    const char* next = static_cast<const char*>(bytes);
    std::size_t left = length;
    bool cancelled = false;
    while (left > 0) {
        // A main unit that stops taking data must not hold the program forever.
        if (net::WaitWritable(data, timeouts.dataMillis) != net::Wait::Ready) {
            CloseData();
            return {ftp::StoreOutcome::Failed, 0};
        }
        const long n = net::SendSome(data, next, std::min(left, ftp::kBlockBytes));
        if (n <= 0) {
            CloseData();
            return {ftp::StoreOutcome::Failed, 0};
        }
        next += n;
        left -= static_cast<std::size_t>(n);
        PumpOne();
        if (CancelRequested()) {
            // ABOR before the data connection closes: otherwise the main unit
            // takes the end of the data for the end of the file and keeps a
            // cut-off message.
            Abort(true, true);
            cancelled = true;
            break;
        }
    }
    if (!cancelled) CloseData();
    return ftp::StoreResultOf(ReadTransferEnd());
}

ftp::DeleteResult FTP_SESSION::Delete(std::u16string_view path) {
    ClimbToRoot();
    return ftp::DeleteResultOf(Command(withCrLf(u"DELE ", path)));
}

void FTP_SESSION::Abort(bool quiet) {
    Abort(quiet, false);
}

void FTP_SESSION::Abort(bool quiet, bool announceFirst) {
    // Closing first stops a main unit that is sending; announcing first tells
    // one that is receiving that the end of the data is no end of the file.
    if (!announceFirst) CloseData();
    const bool sent = SendCommand(u"ABOR\r\n");
    if (announceFirst) CloseData();
    std::u16string line;
    bool replied = sent && readReply(line, ftp::kReplyLineMax, timeouts.replyMillis);
    if (!quiet) {
        // The main unit may first answer the broken transfer (426, 226); its
        // 225 follows. A few replies at most: one that answers on and on
        // without a 225 must not hold the program.
        for (int replies = 1; replied && ftp::ReplyCode(line) != ftp::kAbortComplete; ++replies) {
            if (replies >= kAbortRepliesMax) break;
            replied = readReply(line, ftp::kReplyLineMax, timeouts.replyMillis);
        }
    }
    // Whatever the second ABOR gets, the transfer is over.
    static_cast<void>(Command(u"ABOR\r\n"));
}

bool FTP_SESSION::KeepAlive() {
    std::uint16_t port = 0;
    sockaddr_in address{};
    if (!openListener(port, address) || !SendCommand(portCommand(address, port))) {
        listen.Close();
        return false;
    }
    std::u16string line;
    const bool replied = readReply(line, ftp::kReplyLineMax, timeouts.replyMillis);
    CloseData();
    return replied;
}

}  // namespace plova
