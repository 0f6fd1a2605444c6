// One FTP session with the main unit: the control connection, the active-mode
// data connection, and every command the program sends.
//
// Everything runs on the calling thread. Waits are bounded; while waiting the
// session dispatches one pending window message per byte of a reply and per
// data block, so progress windows stay live and their Cancel button can set
// the cancel flag, which every loop here tests.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "link/FtpReply.h"
#include "platform/Socket.h"

namespace plova {

namespace ftp {
// Sizes of what the main unit sends.
constexpr int kReplyLineMax = 511;  // a reply line holds at most 510 characters
constexpr int kDrainLineMax = 511;
constexpr int kListEndLineMax = 1024;       // end reply of the folder listing
constexpr int kBoxListEndLineMax = 102400;  // end reply of a box listing
constexpr std::size_t kBlockBytes = 1024;   // data arrive and leave in blocks of this size
// Received data are read as much at a time as has arrived, up to this; the
// progress still counts blocks of kBlockBytes.
constexpr std::size_t kReceiveBytes = std::size_t{64} * 1024;
// A listing is read whole up to this size, far beyond what any main unit
// holds; a longer one is a failure, never silently a shorter list.
constexpr std::size_t kListingCapBytes = 64u << 20;
// How long one reply may take in all, in multiples of its per-byte wait, and
// how much stray text one Drain reads before giving up on it.
constexpr int kReplyDeadlineFactor = 3;
constexpr int kDrainMaxLines = 1000;
// How long one block of data may take in all, in multiples of the data wait:
// a main unit that trickles a byte now and then fails the transfer.
constexpr int kBlockDeadlineFactor = 3;
// A file whose size the listing did not give (recording information, the
// backup's files) may be at most this long: far above any message, so a main
// unit that never stops sending cannot fill the disk.
constexpr std::uint64_t kUnknownSizeCapBytes = 64u << 20;
constexpr int kRootClimbSteps = 5;  // "CWD ../" reaches the root within five steps
constexpr int kListenBacklog = 1;

// Kinds of box listing.
constexpr int kListAll = 0;
constexpr int kListInfo = 1;   // "*.vminf"
constexpr int kListVoice = 2;  // "*.vmdat"

// How a listing ended.
enum class [[nodiscard]] ListResult{
    Listed,           // read whole (also when empty, or cut short by a cancel)
    NoSuchDirectory,  // the box directory does not exist on the main unit
    NotStarted,       // the main unit refused to enter the directory or to start the listing
    Failed,           // no answer, the data broke off, or the listing went beyond its cap
};
// The number of the listing procedures: 1, -2, 0 or -1.
int ResultCode(ListResult result);

// How a retrieval ended.
enum class [[nodiscard]] TransferResult{
    Done,
    Failed,       // no data connection, the data or the end reply failed, or the main unit said so
    Cancelled,    // the user cancelled
    Unavailable,  // refused with 550: the file is not on the main unit (any more)
    Refused,      // refused with another code
};

// How a store ended.
enum class [[nodiscard]] StoreOutcome{
    Stored,
    NotTaken,  // 450: the file is in use, the main unit has no room, or it holds a newer copy
    Refused,   // refused with another code
    Failed,    // no answer, the data could not be sent, or no session
};
struct [[nodiscard]] StoreResult {
    StoreOutcome outcome = StoreOutcome::Failed;
    int replyCode = 0;  // the refusing reply's code (NotTaken, Refused); else 0
    bool operator==(const StoreResult&) const = default;
};
// The result of a store from the classified reply that ended it (see
// ClassifyTransferEnd).
StoreResult StoreResultOf(Reply end);

// How a delete ended.
enum class [[nodiscard]] DeleteOutcome{
    Deleted,
    InUse,        // 450: the message is in use on the main unit
    Unavailable,  // 550: no such file, or it is protected
    Refused,      // refused with another code
    Failed,       // no answer, or no session
};
struct [[nodiscard]] DeleteResult {
    DeleteOutcome outcome = DeleteOutcome::Failed;
    int replyCode = 0;  // the refusing reply's code (InUse, Unavailable, Refused); else 0
    bool operator==(const DeleteResult&) const = default;
};
// The result of a delete from its classified reply (see ClassifyReply).
DeleteResult DeleteResultOf(Reply reply);

// Caption of the window that takes the per-block progress of a retrieval.
constexpr std::u16string_view kDownloadWindowCaption = u"ダウンロード中";
}  // namespace ftp

// How long the session waits. The defaults are the program's; tests shorten
// the waits that would otherwise keep them waiting for many seconds.
struct Timeouts {
    int replyMillis = 10000;       // each byte of a reply line
    int longReplyMillis = 180000;  // the reply that ends a store, while the main unit writes the file
    int drainMillis = 1;           // each byte of a stray reply
    int drainTotalMillis = 2000;   // one Drain in all
    int dataMillis = 10000;        // the main unit's data connection, and each wait inside a block
    int retrieveEndMillis = 5000;  // the reply after a retrieved file
    // Each transfer and each listing as a whole, besides the waits above: this
    // long, plus for a file of known size the time its bytes take at
    // slowestBytesPerSecond. Data that keep coming, however slowly, end there.
    int transferMillis = 120000;
    int slowestBytesPerSecond = 4096;
    // Not a wait of the FTP dialogue: how long a connection attempt may take
    // before the main unit counts as unreachable (about what the stack of the
    // original platform allows).
    int connectMillis = 21000;
};

class FTP_SESSION {
public:
    explicit FTP_SESSION(Timeouts timeouts = {});
    ~FTP_SESSION();  // Close()
    FTP_SESSION(const FTP_SESSION&) = delete;
    FTP_SESSION& operator=(const FTP_SESSION&) = delete;

    // ------------------------------------------------------------ record
    net::Socket control;
    net::Socket listen;  // waits for the main unit's data connection; closed when none
    net::Socket data;    // the open data connection; closed when none
    sockaddr_in server{};
    std::filesystem::path localDirectory;  // where retrieved files are written
    std::int32_t progressCount = 0;        // blocks of the current file, sent to the progress window
    std::int32_t bytesReceived = 0;        // bytes written for the current file
    Timeouts timeouts;
    std::size_t listingCapBytes = ftp::kListingCapBytes;
    std::uint64_t unknownSizeCapBytes = ftp::kUnknownSizeCapBytes;

    // ------------------------------------------------------ control side

    // Sends one command, converted to CP932, whole; false when it could not.
    // A command must end in "\r\n" and hold no other CR or LF: otherwise
    // nothing is sent and the result is false, so a name cannot carry a second command.
    [[nodiscard]] bool SendCommand(std::u16string_view command);
    // Sends `command` (none when empty), reads one reply line and classifies it
    // (see ftp::ClassifyReply). The raw line goes to `rawLine` when given.
    ftp::Reply Command(std::u16string_view command, std::u16string* rawLine = nullptr);
    // One reply line without its CR LF, each byte one character. It ends at CR
    // LF, when the main unit closes the connection, or one character short of
    // `maxLength`; the rest then stays for the next read. False when no byte
    // came within the wait (180 s with `longWait`, else 10 s), the line took
    // more than three such waits in all, or the socket failed.
    // Bytes of the following reply are never taken.
    [[nodiscard]] bool ReadReplyLine(std::u16string& line, int maxLength, bool longWait);
    // The reply that ends a transfer, classified by ftp::ClassifyTransferEnd;
    // the long wait unless the user has cancelled.
    ftp::Reply ReadTransferEnd();
    // Reads and discards reply lines that are already waiting, at most
    // ftp::kDrainMaxLines of them and for at most timeouts.drainTotalMillis.
    void Drain();
    // "CWD ../" until refused, at most five times.
    void ClimbToRoot();

    // --------------------------------------------------------- data side

    // Announces a listening port with PORT, sends `transferCommand` and accepts
    // the main unit's connection. Accepted when the data connection is open;
    // no reply also when no listening port could be opened or the main unit
    // did not connect in time.
    ftp::Reply OpenDataActive(std::u16string_view transferCommand);
    void CloseData();

    // Root, "/rusuroku" and "/naisen" name listings, each read whole: Listed,
    // NotStarted (a refused command) or Failed (also for a box-kind listing
    // that names more boxes than a main unit holds).
    ftp::ListResult ListFolders(std::u16string& root, std::u16string& answering, std::u16string& extension);
    // Name listing of a box directory (kind ftp::kListInfo, kListVoice or all).
    // Listed also when empty; NotStarted for any refusal or failure before the data.
    ftp::ListResult ListBox(std::u16string_view directory, int kind, std::u16string& listing);
    // Long listing (kind ftp::kListVoice or all). NotStarted for a refusal,
    // Failed when the main unit did not answer.
    // `lengthBytes` is the listing's length in bytes of UTF-16. A cancel during
    // the listing aborts the transfer and keeps what arrived, as Listed.
    ftp::ListResult ListBoxLong(std::u16string_view directory, int kind, std::u16string& listing, long& lengthBytes);
    // Retrieves a file of the current directory into localDirectory/localName.
    // Failed also when the main unit reports the transfer failed, and for a
    // local name that is not one plain name. The file is left in place on
    // failure; the caller decides what to delete. `expectedBytes` is the
    // size the listing gave (-1 when unknown): more data than that, or than
    // unknownSizeCapBytes when unknown, fail the transfer at once, and the
    // transfer's deadline (see Timeouts::transferMillis) allows for it.
    ftp::TransferResult Retrieve(std::u16string_view remoteName, std::u16string_view localName, bool resetProgress,
                                 bool noProgress, std::int64_t expectedBytes = -1);
    // Where RetrieveTo puts a file: opened once the main unit has started the
    // transfer (not at all when it refuses), then given every piece of data in
    // order. A false answer fails the transfer.
    class RetrieveSink {
    public:
        virtual ~RetrieveSink() = default;
        virtual bool Open() = 0;
        virtual bool Write(const char* bytes, std::size_t size) = 0;
        // The data have ended (or broken off); called whenever open() was.
        virtual bool Close() = 0;
    };
    // As Retrieve, into `sink`; the sink never gets more than the size allows.
    ftp::TransferResult RetrieveTo(std::u16string_view remoteName, RetrieveSink& sink, bool resetProgress,
                                   bool noProgress, std::int64_t expectedBytes = -1);
    // Stores `data` as "/outou/<remoteName>".
    ftp::StoreResult Store(const void* data, std::size_t length, std::u16string_view remoteName);
    // Deletes one file by absolute path.
    ftp::DeleteResult Delete(std::u16string_view path);
    // Ends a running transfer with ABOR.
    void Abort(bool quiet);
    // Announces a fresh data port: true when any reply came, that is the main unit is there.
    bool KeepAlive();

    // Shuts down and closes every open socket.
    void Close();

private:
    using Deadline = std::chrono::steady_clock::time_point;
    // How a line read ended: at its CR LF, cut at its length, or with the
    // connection closed after it (a line, perhaps empty); or no line, because
    // the line outlasted its deadline (Late) or a byte did not come or the
    // socket failed (Failed).
    enum class LineEnd { CrLf, Cut, Closed, Late, Failed };
    static bool isLine(LineEnd end) { return end == LineEnd::CrLf || end == LineEnd::Cut || end == LineEnd::Closed; }
    enum ListingEnd { kListingComplete, kListingTooLong, kListingCancelled, kListingFailed };

    void Abort(bool quiet, bool announceFirst);
    // As ReadReplyLine, each byte awaited for `waitMillis` and the whole line
    // by `deadline`.
    [[nodiscard]] LineEnd readLine(std::u16string& line, int maxLength, int waitMillis, Deadline deadline);
    // A whole reply: its first line (as ReadLine, the first byte awaited for
    // `waitMillis`), then the rest of that line when it was cut, however long,
    // and the further lines of a "ddd-" block, which are dropped; all of it
    // within three such waits. False when no first line came, it was empty,
    // it came cut off by the main unit closing the connection, or the reply
    // outlasted its deadline.
    [[nodiscard]] bool readReply(std::u16string& first, int maxLength, int waitMillis);
    // The pace a transfer is held to: every block of ftp::kBlockBytes must
    // arrive within ftp::kBlockDeadlineFactor data waits, and the whole
    // transfer by its own deadline.
    struct DataPace {
        Deadline blockDeadline;
        Deadline transferDeadline;
        std::size_t partialBlock = 0;
    };
    // For a transfer of `expectedBytes` (-1: unknown, a listing).
    [[nodiscard]] DataPace startPace(std::int64_t expectedBytes) const;
    // Whatever has arrived on the data connection, at most `size` bytes: its
    // length, 0 at the end (or after a silence of one data wait), -1 on a
    // socket error or when the current block or the whole transfer outlasts
    // its deadline.
    long receiveData(char* buffer, std::size_t size, DataPace& pace);
    // Walks `n` received bytes block by block: each block that starts first
    // dispatches a window message and, with `watchCancel`, looks at the
    // cancel flag. The bytes taken before a cancel (all of them without one);
    // `blockFill` carries the block under way from one call to the next.
    std::size_t takeBlocks(std::size_t n, std::size_t& blockFill, bool watchCancel, bool& cancelled,
                           int& blocksStarted);
    // Every block of a listing into `bytes`, up to listingCapBytes.
    ListingEnd receiveListing(std::string& bytes, bool watchCancel);
    // Runs `nlst` over a new data connection into `listing`. Listed, or Failed
    // on a receive failure, a listing beyond the cap or a missing end reply;
    // NotStarted with `opened` set to OpenDataActive's result when the
    // transfer did not start.
    ftp::ListResult listInto(std::u16string_view nlst, std::u16string& listing, int endLineMax, bool watchCancel,
                             ftp::Reply& opened);
    bool openListener(std::uint16_t& port, sockaddr_in& address);
    [[nodiscard]] std::u16string portCommand(const sockaddr_in& address, std::uint16_t port) const;
};

}  // namespace plova
