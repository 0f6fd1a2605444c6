// Moving and copying messages into another box of the same box folder. A
// message travels as up to three files with one base name (".vminf",
// ".vmdat", ".wav"). The list window supplies the selection, the overwrite
// question and the progress dialog; every decision is here, so it runs
// without a window too.
//
// Every file of a message is first made whole in the target box under a
// hidden name of its own; only when all of them are there do they take their
// names, and only then do the sources of a move go. Whatever stops a run (the
// Cancel button, a full disk, an unreadable file, the process killed), each
// message exists whole in its source box or in the target box.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Ports.h"

namespace plova {

namespace transfer {
enum class Mode { Copy, Move };

constexpr int kStepsPerMessage = 3;  // the bar advances once per file, whether it exists or not
constexpr std::uint64_t kSpaceUnit = 4096;

constexpr std::u16string_view kMoveProgressCaption = u"移動中";
constexpr std::u16string_view kCopyProgressCaption = u"コピー中";
constexpr std::u16string_view kMoveProgressText = u"音声メッセージを移動中です。";
constexpr std::u16string_view kCopyProgressText = u"音声メッセージをコピー中です。";

constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kCopyDoneCaption = u"コピー完了";
constexpr std::u16string_view kMoveDoneCaption = u"移動完了";
constexpr std::u16string_view kNoSpace = u"ＰＣのメモリ不足です。";
constexpr std::u16string_view kMissing = u"音声ファイルがダウンロードされていません。";
constexpr std::u16string_view kCopyDone = u"音声メッセージのコピーが正常に完了しました。";
constexpr std::u16string_view kMoveDone = u"音声メッセージの移動が正常に完了しました。";
constexpr std::u16string_view kCopyPartMissing = u"一部の音声メッセージがコピーできませんでした\n(音声ファイルなし)。";
constexpr std::u16string_view kCopyPartNoSpace = u"一部の音声メッセージがコピーできませんでした\n(ＰＣのメモリ不足)。";
constexpr std::u16string_view kMovePartMissing = u"一部の音声メッセージが移動ができませんでした\n(音声ファイルなし)。";
constexpr std::u16string_view kMovePartNoSpace = u"一部の音声メッセージが移動ができませんでした\n(ＰＣのメモリ不足)。";

// The box choice before a run.
constexpr std::u16string_view kMoveQuestion = u"移動します。よろしいですか？";
constexpr std::u16string_view kMoveQuestionCaption = u"移動の確認";
constexpr std::u16string_view kCopyQuestion = u"コピーします。よろしいですか？";
constexpr std::u16string_view kCopyQuestionCaption = u"コピーの確認";
constexpr std::u16string_view kNoBoxChosen = u"BOXが選択されていません。";
constexpr std::u16string_view kNoBoxInformation = u"フォルダにボックス情報がありません。\n確認ください。";

// The overwrite question: "このﾌｫﾙﾀﾞには既に %s ﾌｧｲﾙが存在します。".
std::u16string OverwriteText(std::u16string_view fileName);
}  // namespace transfer

enum class [[nodiscard]] OverwriteChoice{
    Yes,     // replace this file and the later files of this message
    All,     // replace every existing file from here on
    No,      // leave this file and the rest of this message
    Cancel,  // end the run here
};

// The window around a run: CPrgMsgCopyDlg and the overwrite dialog.
class TransferWindow {
public:
    virtual ~TransferWindow() = default;
    // Disable the main window and show the progress dialog over 0 .. range.
    virtual void Open(transfer::Mode mode, int range) = 0;
    // Bar position (message 1124); the dialog dispatches pending messages.
    virtual void SetBar(int position) = 0;
    // Hide the progress dialog, ask about `fileName`, show the dialog again.
    virtual OverwriteChoice AskOverwrite(const std::u16string& fileName) = 0;
    // The list window's cancel flag (set by the progress dialog's Cancel).
    virtual bool CancelRequested() = 0;
    // A backup fell due and the user chose to run it after this command.
    virtual bool BackupBreak() { return false; }
    // Close the progress dialog and enable and activate the main window.
    virtual void Close() = 0;
};

struct [[nodiscard]] TransferOutcome {
    int selected = 0;
    int handled = 0;
    bool missing = false;  // a message had no voice data or recording information, or could not be read
    bool noSpace = false;  // the run ended for lack of room
    bool stopped = false;  // cancelled or given way to a backup: no closing message
    bool overwriteCancelled = false;
};

struct ClosingText {
    std::u16string_view text;
    std::u16string_view caption;
    Icon icon;
};
// The closing messages of a run, in the order shown: one, or, when several
// messages were chosen, both the missing-file and the out-of-space message
// when both apply; none after a cancel or a backup break.
std::vector<ClosingText> TransferClosing(transfer::Mode mode, const TransferOutcome& outcome);

// Moves or copies the messages whose status records name `files` into
// `targetFolder` (a box folder's "rusuroku/NNNN" or "naisen/NNNN"), asks
// through `window`, and shows the closing message through the Prompt port.
TransferOutcome MoveCopyMessages(transfer::Mode mode, const std::vector<std::filesystem::path>& files,
                                 const std::filesystem::path& targetFolder, TransferWindow& window);

}  // namespace plova
