// Fetching messages from the main unit into the box-folder tree: counting a
// box, one box in full or its recording information only, the system
// response messages, and the voice data of one message.
//
// A file is received under a name of its own beside its final name
// (ReceivingName), gets its status record there and is renamed into place
// only when it is complete, so a message name never holds a torn file: not
// after a cancel, a dropped connection or a killed process. Where the
// listing gave a file's size, a received length that differs from it is a
// failed transfer.
//
// Each procedure tells how it ended with a DownloadResult, one enumerator per
// reason; ResultCode gives the number the main unit's tools have always
// used for it. Each procedure holds the idle timer stopped while it runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "link/CFtpMng.h"

namespace plova {

namespace oplog {
class Operation;
}
namespace listing {
struct Entry;
}  // namespace listing

// How a download procedure ended.
enum class [[nodiscard]] DownloadResult{
    Ok,           // every listed file handled
    SomeMissing,  // finished, but some listed file had gone from the main unit
    CommError,    // the link failed, or there is no session
    NoDirectory,  // the box directory does not exist on the main unit
    Cancelled,    // the user cancelled
    NoSpace,      // not enough free disk space
    // A voice file the batch found already here could not be made a WAV file.
    ExistingConversionFailed,
    // The voice file a run was fetching could not be made a WAV file; one
    // fetched just now is removed again, one that was already here stays.
    FreshConversionFailed,
};
// The result code of the procedure: 0, 550, -1, -2, -3 or -4 (a failed
// conversion shares -2 or -3 with the missing directory or the cancel).
int ResultCode(DownloadResult result);

// How RemoteFileSize ended.
enum class [[nodiscard]] SizeResult{Found, NotListed, NoDirectory, CommError};
// 1, 0, -2 or -1.
int ResultCode(SizeResult result);

namespace dl {
// Kinds of CountFiles, as the listing kinds.
constexpr int kCountAll = ftp::kListAll;
constexpr int kCountInfo = ftp::kListInfo;
constexpr int kCountVoice = ftp::kListVoice;

constexpr std::int64_t kClusterBytes = 4096;
// Progress figures the procedures send.
constexpr int kBarFull = -1;             // 1124: past the range, the bar shows full
constexpr int kBarExistingVoice = 95;    // 1124: a voice file already here
constexpr int kCounterStepWparam = 100;  // 1130
constexpr int kVoicePumpSteps = 10;      // messages dispatched after one voice download

constexpr std::u16string_view kRemoteAnswering = u"/rusuroku/";
constexpr std::u16string_view kRemoteExtension = u"/naisen/";
constexpr std::u16string_view kRemoteResponses = u"/outou/";

// The messages among message file names: a box message has a ".vminf" and a
// ".vmdat" of one stem, a system response message its ".vmdat" alone, and
// either counts once however many of its files are named.
int MessageCount(const std::vector<std::u16string>& names);

// Free bytes needed before writing a file of `size` bytes (what a conversion
// needs is store::SpaceToConvertToWav).
std::int64_t SpaceForFile(std::int64_t size);
// (size / 4096 + 1) × 4096 for the voice data of one chosen message, and
// what its conversion needs.
std::int64_t SpaceForVoiceConversion(std::int64_t voiceBytes);
}  // namespace dl

// Conversion right after download ("DOWNCONV" 1) and the gain it uses.
struct DownloadOptions {
    bool convert = false;
    int levelSetting = 0;  // "LEVELRVORWAV"
};

class DownloadMng {
public:
    explicit DownloadMng(CFtpMng& ftp, DownloadOptions options = {}) : ftp_(ftp), options_(options) {}
    // Every file fetched, or found gone or broken, from now on goes into
    // `log` (null: into none).
    void SetLog(oplog::Operation* log) { log_ = log; }

    // Names the listing of the box holds (message names only) in `count`,
    // and the messages they make up in `messages` when given: Ok,
    // NoDirectory or CommError (both 0 then).
    DownloadResult CountFiles(std::u16string_view remoteDirectory, const std::filesystem::path& localFolder, int kind,
                              int& count, int* messages = nullptr);
    DownloadResult DownloadBox(std::u16string_view remoteDirectory, const std::filesystem::path& localFolder,
                               int& handled, int& listed);
    DownloadResult DownloadBoxInfo(std::u16string_view remoteDirectory, const std::filesystem::path& localFolder,
                                   int& handled);
    DownloadResult DownloadResponseMessages(const std::filesystem::path& outouFolder, int& handled, int& voiceListed);
    // The size of one voice file as (listed / 4096 + 1) × 4096, and the
    // listed figure itself in `listedSize` when given.
    SizeResult RemoteFileSize(std::u16string_view remoteDirectory, const std::filesystem::path& localFolder,
                              std::u16string_view fileName, std::int64_t& size, std::int64_t* listedSize = nullptr);
    // Voice data of one message whose recording information is local. A voice
    // file already here stays, whatever the outcome. `listedSize` (the
    // listing's own figure, -1 when unknown) must match what arrives.
    DownloadResult DownloadVoice(const std::filesystem::path& localFolder, std::u16string_view remotePath,
                                 std::u16string_view localName, std::int64_t listedSize = -1);

    // A WAV conversion has failed since this object was made (or the flag was
    // cleared), whether or not a result code said so.
    [[nodiscard]] bool ConversionFailed() const { return conversionFailed_; }
    void ClearConversionFailed() { conversionFailed_ = false; }

    CFtpMng& Ftp() { return ftp_; }
    [[nodiscard]] const DownloadOptions& Options() const { return options_; }

    // The name a message file is received under before it is complete, of
    // this run's own: ".vmdat" becomes ".<process>.dl_dat", ".vminf"
    // ".<process>.dl_inf". Neither the conversion's ".tmp" nor anything that
    // reads messages takes it for a message.
    static std::filesystem::path ReceivingName(const std::filesystem::path& finalPath);
    // Removes what killed earlier runs left under receiving names in the
    // folder; the receiving files of a run still going stay.
    static void SweepReceivingFiles(const std::filesystem::path& folder);

private:
    enum class Record { Box, Response };
    // Retrieve `remoteName` into `finalPath` by way of its receiving name.
    // Ok, SomeMissing (the main unit no longer has it, or it holds no
    // recording block), Cancelled or CommError (also for a length that
    // differs from `listedSize` when >= 0). Nothing is left at the receiving name.
    DownloadResult receive(std::u16string_view remoteName, const std::filesystem::path& finalPath,
                           std::int64_t listedSize, bool resetProgress, bool noProgress, Record record,
                           bool keepExisting = false);
    // A long listing: Ok, NoDirectory or CommError.
    DownloadResult listLong(std::u16string_view remoteDirectory, int kind, const std::filesystem::path& localFolder,
                            std::u16string& listing);
    // The steps of DownloadBox, over the state of one run.
    struct BoxRun;
    DownloadResult downloadBoxFile(BoxRun& run, const listing::Entry& entry);
    // After a ".vminf": the voice file waiting for it made a WAV file, when
    // conversion is on. `infoFetched`: the ".vminf" came in this run.
    DownloadResult convertPendingVoice(BoxRun& run, const std::filesystem::path& infoFile, bool infoFetched);
    enum class Conversion { Done, NoSpace, Failed };
    // Space check and conversion of one voice file.
    Conversion convert(const std::filesystem::path& voiceFile);
    bool enoughSpace(const std::filesystem::path& folder, std::int64_t bytes);

    DownloadResult receiveFile(std::u16string_view remoteName, const std::filesystem::path& finalPath,
                               std::int64_t listedSize, bool resetProgress, bool noProgress, Record record,
                               bool keepExisting);
    CFtpMng& ftp_;
    oplog::Operation* log_ = nullptr;
    DownloadOptions options_;
    bool conversionFailed_ = false;
};

}  // namespace plova
