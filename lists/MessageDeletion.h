// Deleting the messages selected in a list window: on the main unit, on this
// PC, or on both. The procedures of the box lists and of the system response
// message list run their phases over the selected rows, collect why rows
// stayed, and choose the summary message; windows only show the dialog and
// the progress.
//
// Deletion is the one command that destroys a user's data, so a row is only
// ever acted on when its file lies where the open box folder keeps messages
// ("rusuroku/<box>/", "naisen/<box>/" or "outou/"), reached without a link:
// whatever a status record holds, nothing elsewhere is touched.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Ports.h"
#include "store/FILESTS_INFO.h"

namespace plova {

class CFtpMng;

namespace del {
// Deletion kinds, as the dialog's buttons give them.
constexpr int kKindMainUnit = 0;  // "主装置のみ": the local files stay, marked deleted on the main unit
constexpr int kKindBoth = 1;      // "主装置とＰＣ": the local files first, then the main unit's
constexpr int kKindPc = 2;        // "ＰＣのみ"

// Progress steps per selected row.
constexpr int kStepsPerRowBoth = 6;
constexpr int kStepsPerRow = 3;

constexpr std::u16string_view kDialogCaption = u"音声メッセージ消去";
constexpr std::u16string_view kDialogText = u"選択した音声メッセージを消去します。";
constexpr std::u16string_view kDialogKindText = u"消去種別を選択してください。";
constexpr std::u16string_view kConfirmText = u"消去します。よろしいですか？";
constexpr std::u16string_view kConfirmCaption = u"消去の確認";
constexpr std::u16string_view kProgressCaption = u"消去中";
constexpr std::u16string_view kProgressText = u"音声メッセージを消去中です。";
constexpr std::u16string_view kDoneCaption = u"消去完了";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kNotSelected = u"選択されていません。";
constexpr std::u16string_view kCommError = u"通信エラーが発生しました。";
// The main unit deleted a message whose local files stay, but their record could not say so.
constexpr std::u16string_view kUnmarked =
    u"主装置の音声メッセージは消去しましたが、\nＰＣのファイルに消去済みの印を書き込めませんでした。";
}  // namespace del

// What a run collected.
struct DeletionFlags {
    bool inUse = false;            // the main unit answered 450
    bool notDownloaded = false;    // a box-list row without the voice data it needed
    bool noneOrProtected = false;  // protected, 550, another box's message, or a file out of place
    int deleted = 0;               // local files deleted plus main-unit deletions
    bool unmarked = false;         // deleted on the main unit, but the local record could not be marked
};

struct SummaryMessage {
    std::u16string text;
    std::u16string caption;
    Icon icon = Icon::None;
    bool operator==(const SummaryMessage&) const = default;
};

// The summary after both phases, for `selected` rows. `singleRow` is the file
// of the one selected row (its box folder names the box of the in-use text).
std::vector<SummaryMessage> ChooseDeletionSummary(const DeletionFlags& flags, int selected, bool responseList,
                                                  const std::filesystem::path& singleRow = {});

// Where a message file sits in the box folder.
struct MessagePlace {
    bool extension = false;  // "naisen" (else "rusuroku"; unused for "outou")
    std::u16string box;      // the box folder's name; empty for "outou"
};
// The place of `file` when it lies directly in a box of "rusuroku" or
// "naisen" (`responseList` false) or in "outou" (true) of `boxFolder`, reached
// through no link, with a name free of control characters; nothing otherwise.
std::optional<MessagePlace> PlaceInBoxFolder(const std::filesystem::path& boxFolder, const std::filesystem::path& file,
                                             bool responseList);

// The box number that a box message's ".vminf" name carries, as the main unit
// names its box folder: four characters from the 16th-last, without a leading
// "R", "_" read as a space, trailing spaces cut. Empty for a shorter name.
std::u16string BoxOfMessageName(std::u16string_view vminfName);

// What the procedure needs beyond the ports and the connection.
class DeletionView {
public:
    virtual ~DeletionView() = default;
    // The progress window "消去中" with `range` steps; the main window is
    // disabled meanwhile.
    virtual void OpenProgress(int range) = 0;
    virtual void Advance() = 0;
    // The bar to its end, the window closed, the main window enabled again.
    virtual void CloseProgress() = 0;
    // Between the rows of a PC-only run while the backup watch is armed: true
    // when a backup fell due and is to run now (it is then marked requested).
    virtual bool BackupDue() = 0;
    // Ends the connection with the main unit and clears the logged-in flag.
    virtual void Logout() = 0;
};

struct DeletionRequest {
    int kind = del::kKindPc;
    bool responseList = false;
    std::filesystem::path boxFolder;  // the root folder plus the box-folder name
    std::vector<FILESTS_INFO> rows;   // the selected rows' records, in list order
};

enum class [[nodiscard]] DeletionEnd{
    Finished,         // both phases ran; the summary was shown
    NothingSelected,  // "選択されていません。"
    CommError,        // stopped: "通信エラーが発生しました。", logged out
    BackupRequested,  // stopped for a backup that is to run now
};

struct [[nodiscard]] DeletionResult {
    DeletionEnd end = DeletionEnd::Finished;
    DeletionFlags flags;
    std::vector<SummaryMessage> shown;
};

// The deletion of a box list or of the system response message list. `ftp`
// may be null (no connection: the main unit's phase fails as a communication
// error). Shows its messages through the Prompt port and dispatches one
// pending message per step.
DeletionResult DeleteMessages(const DeletionRequest& request, CFtpMng* ftp, DeletionView& view);

}  // namespace plova
