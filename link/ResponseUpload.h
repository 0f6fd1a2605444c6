// Sending new system response messages to the main unit: one message file at
// a time, with its upload mark, and the whole procedure behind the upload
// command of the response list with its closing message. The list window
// supplies the selection and the progress window; the decisions are here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/CFtpMng.h"
#include "platform/Ports.h"
#include "store/FILESTS_INFO.h"

namespace plova {
namespace oplog {
class Operation;
}

namespace upload {
constexpr std::u16string_view kConfirmCaption = u"アップロードの確認";
constexpr std::u16string_view kConfirmText = u"アップロードを開始します。\nよろしいですか？";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kNotSelected = u"選択されていません。";
constexpr std::u16string_view kCommunicationError = u"通信エラーが発生しました。";
constexpr std::u16string_view kDoneCaption = u"アップロード完了";
constexpr std::u16string_view kDoneText = u"アップロードが完了しました。";
constexpr std::u16string_view kRefusedText =
    u"メッセージを使用中か主装置の容量不足\nもしくはアップロードするメッセージが古いため、\nアップロードできませんでし"
    u"た。";
constexpr std::u16string_view kPartlyRefusedText = u"一部のファイルをアップロード\nできませんでした。";
// The main unit took the file, but this PC could not note that in it.
constexpr std::u16string_view kUnmarkedText =
    u"アップロードしましたが、アップロード済みの印を\nファイルに書き込めませんでした。";
}  // namespace upload

// How UploadSelected ended.
enum class [[nodiscard]] UploadRun{
    Done,                 // every selected row tried; the closing message shown
    NothingSelected,      // "選択されていません。" shown
    CommunicationFailed,  // the session is closed
    Cancelled,
};

enum class [[nodiscard]] UploadOutcome{
    Accepted,            // stored; upload mark 1
    Unmarked,            // stored, but the upload mark could not be written into the file
    Refused,             // 450; upload mark 0
    Missing,             // no such file, or not a message file: nothing sent
    Skipped,             // the record names no file
    CommunicationError,  // any other answer or a broken connection; upload mark 0
    Cancelled,           // the user cancelled during the transfer
};

// A system response message of the 32-character form, checked as the store
// checks one in an "outou" folder, wherever the file lies.
bool IsUploadableMessage(const std::filesystem::path& file);

// Sends `record`'s file from byte 990 to its end (recording block and coded
// speech) as "/outou/<its name>", then sets its upload mark (the played mark:
// 1 when stored, else 0) and writes the record back into the file.
// What became of the message goes into `log` when one is given.
UploadOutcome UploadResponseMessage(CFtpMng& ftp, FILESTS_INFO& record, oplog::Operation* log = nullptr);

struct UploadTally {
    int selected = 0;
    int accepted = 0;
    int refused = 0;   // refused by the main unit, or the file was missing
    int unmarked = 0;  // stored, but without the upload mark in the file
};

struct ClosingMessage {
    std::u16string text;
    std::u16string caption;
    Icon icon;
};

// What the upload shows when it ends without a cancel; nothing when there is
// nothing to say (one row that named no file).
std::optional<ClosingMessage> UploadClosingMessage(const UploadTally& tally);

// The list window's side of an upload.
class UploadWindow {
public:
    virtual ~UploadWindow() = default;
    // Disable the main window and show the upload progress window over 0..total.
    virtual WindowHandle OpenProgress(int total) = 0;
    virtual void CloseProgress() = 0;
    // The session is gone: clear the logged-in flag.
    virtual void LoggedOut() = 0;
    // Reload the list (after a run that reached its end) and enable the main window.
    virtual void Finish(bool reload) = 0;
};

// The upload command over the selected rows, in list order. Each record's
// upload mark is set in `selected` and in its file.
UploadRun UploadSelected(CFtpMng& ftp, std::vector<FILESTS_INFO>& selected, UploadWindow& window);

}  // namespace plova
