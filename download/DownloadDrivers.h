// The drivers behind the download commands: the batch and selective runs
// over the boxes of a box folder, the voice data of chosen messages, the
// folder download that builds a box folder from the main unit's listing, and
// the closing message each run ends with. They decide; windows only show.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "download/DownloadMng.h"
#include "platform/Ports.h"

namespace plova {

namespace dl {
// Download kinds.
constexpr int kKindFull = 0;  // recording information and voice data
constexpr int kKindInfo = 1;  // recording information only

constexpr std::u16string_view kProgressCaption = u"ダウンロード中";
constexpr std::u16string_view kConfirmCaption = u"ダウンロード確認画面";
constexpr std::u16string_view kDoneCaption = u"ダウンロード完了";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kNotSelected = u"選択されていません。";
constexpr std::u16string_view kNoBoxFolders = u"フォルダにボックス情報がありません。\n確認ください。";

// Folder-download bar positions.
constexpr int kFolderBarListed = 20;
constexpr int kFolderBarListOk = 40;
constexpr int kFolderBarAnswering = 60;
constexpr int kFolderBarDone = 100;
constexpr int kFolderPumpSteps = 5;
}  // namespace dl

enum class [[nodiscard]] Closing{
    None,            // cancelled: nothing is shown
    Success,         // "ファイルのダウンロードが正常に完了しました。"
    PartialMissing,  // some voice files gone from the main unit
    PartialNoSpace,  // some voice files did not fit
    AlreadyDeleted,  // "音声ファイルは既に消去されています。"
    NoSpace,         // "ＰＣのメモリ不足です。"
    CommError,       // "通信エラーが発生しました。" and logout
    ConvertFailed,   // "ＷＡＶファイル変換に失敗しました。"
    NoMessages,      // "音声メッセージがありません。"
    FolderSuccess,   // "フォルダのダウンロードが正常に完了しました。"
};

struct ClosingMessage {
    std::u16string_view text;
    std::u16string_view caption;
    Icon icon;
};
ClosingMessage MessageOf(Closing closing);
// Shows the closing message (nothing for Closing::None).
void ShowClosing(Closing closing);

// "%sにダウンロードします。\nよろしいですか？" under "ダウンロード確認画面": true for Yes.
bool ConfirmDownload(std::u16string_view boxFolderName);

// What a batch run ended with, for the choice of its closing message.
struct [[nodiscard]] BatchOutcome {
    int total = 0;    // files the count phase expected
    int handled = 0;  // files handled
    // The procedure that stopped the run, or a count that failed (Ok when
    // none did; SomeMissing, NoDirectory and ExistingConversionFailed never stop it).
    DownloadResult result = DownloadResult::Ok;
    bool missing = false;
    std::vector<std::u16string> missingDirectories{};  // remote box directories the main unit does not have
    bool cancelled = false;
    bool conversionFailed = false;
    // The messages behind `total`: what the progress counter counts, a box
    // message being two files and a system response message one.
    int messages = 0;
};
Closing ChooseBatchClosing(const BatchOutcome& outcome);

// What the voice-data run over chosen rows ended with. Its closing may be
// two messages in a row.
struct [[nodiscard]] VoiceOutcome {
    int rows = 0;
    int handled = 0;
    int failed = 0;
    DownloadResult lastResult = DownloadResult::Ok;
    bool missing = false;
    bool noSpace = false;
    bool cancelled = false;
    bool conversionFailed = false;
};
std::vector<Closing> ChooseVoiceClosing(const VoiceOutcome& outcome);

// One box to fetch: "/rusuroku/NAME" or "/naisen/NAME" and its local folder.
struct BoxTarget {
    std::u16string remoteDirectory;
    std::filesystem::path localFolder;
};
// Every box sub-folder of "rusuroku", then of "naisen", in name order,
// without those whose MAKE is 1.
std::vector<BoxTarget> BoxTargets(const std::filesystem::path& boxFolder);
// The target for a box sub-folder (".../rusuroku/NAME" or ".../naisen/NAME").
BoxTarget TargetOf(const std::filesystem::path& boxSubFolder);

// What a driver needs beyond the ports: its progress window and the logout
// that a session-breaking failure ends in.
class DownloadView {
public:
    virtual ~DownloadView() = default;
    // Shows the file-download progress window ("ダウンロード中"), sets its
    // message total and bar range once the count is known, closes it.
    virtual void OpenProgress() = 0;
    virtual void SetTotals(int total, int range) = 0;
    virtual void CloseProgress() = 0;
    // A box is about to be fetched (for a line on a terminal; windows ignore it).
    virtual void BoxStarted(std::u16string_view remoteDirectory) {}
    // Logs out after a session-breaking failure and clears the logged-in flag.
    virtual void Logout() = 0;
};

struct BatchRequest {
    int kind = dl::kKindFull;
    std::vector<BoxTarget> boxes;
    bool responses = false;  // the system response messages too (kind 0 only)
    std::filesystem::path outouFolder;
};

struct [[nodiscard]] BatchResult {
    Closing closing = Closing::None;
    BatchOutcome outcome;
};

// The batch driver, also the selective one over chosen boxes: clears the
// cancel flag, counts, fetches, closes the window and shows the closing
// message (logging out after a communication error).
BatchResult RunBatch(DownloadMng& downloader, const BatchRequest& request, DownloadView& view);

// The voice data of chosen messages, given by the file paths of their status
// records. Shows its closing messages; `reload` tells whether the list is to
// be reloaded (not after a communication error).
struct [[nodiscard]] VoiceResult {
    std::vector<Closing> shown;
    VoiceOutcome outcome;
    bool reload = true;
};
VoiceResult DownloadSelectedVoice(DownloadMng& downloader, const std::vector<std::filesystem::path>& rows,
                                  DownloadView& view);

// The folder download: builds "rusuroku/<box>", "naisen/<box>" and "outou"
// under the box folder from the main unit's listing. Folders it makes carry
// MAKE 2 until it succeeds; a cancel or failure removes exactly those (and
// nothing that was there before). `bar` takes the bar positions.
// Closing::FolderSuccess, CommError (the caller logs out) or None (cancelled).
Closing DownloadFolders(CFtpMng& ftp, const std::filesystem::path& boxFolder, const std::function<void(int)>& bar);

}  // namespace plova
