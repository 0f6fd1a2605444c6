// The Convert (変換) and Play (再生) commands on a list window's rows, and the
// deletion of played WAV files at exit. The windows take part through
// ConversionHost; messages go through the Prompt port, the conversion window
// is driven through the Progress port, free space comes from the Disk space
// port and the player is started through the Shell port.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "store/FILESTS_INFO.h"

namespace plova {

namespace convert {
constexpr std::u16string_view kDialogCaption = u"変換中";
constexpr std::u16string_view kDialogText = u"WAVファイルに変換中です。";
constexpr std::u16string_view kQuestion = u"変換します。よろしいですか？";
constexpr std::u16string_view kQuestionCaption = u"変換の確認";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kDoneCaption = u"変換完了";

constexpr std::u16string_view kNotDownloaded = u"音声ファイルがダウンロードされて\nいません。";
constexpr std::u16string_view kNotDownloadedOneLine = u"音声ファイルがダウンロードされていません。";
constexpr std::u16string_view kErased = u"音声ファイルは既に消去されています。";
constexpr std::u16string_view kNoSpace = u"ＰＣのメモリ不足です。";
constexpr std::u16string_view kFailed = u"変換に失敗しました。";
constexpr std::u16string_view kSomeNoSource =
    u"一部の音声メッセージはＷＡＶファイルへ変換\nできませんでした(変換元の音声ファイルなし)。";
constexpr std::u16string_view kSomeNoSpace =
    u"一部の音声メッセージはＷＡＶファイルへ変換\nできませんでした(ＰＣのメモリ不足)。";
constexpr std::u16string_view kSomeFailed = u"一部の音声メッセージはＷＡＶファイルへ変換\nできませんでした(変換失敗)。";
constexpr std::u16string_view kAllDone = u"ＷＡＶファイルへの変換が正常に完了しました。";
// Our own: the built-in player found no device to play the sound on.
constexpr std::u16string_view kNoSoundDevice = u"音声を出力できる装置がありません。";
// Our own: the desktop had no program for the WAV file, or it would not start.
constexpr std::u16string_view kNoPlayer =
    u"WAVファイルを再生できませんでした。\nWAVファイルを再生するアプリケーションを確認してください。";

// The bar position of a finished (or skipped) message.
constexpr int kBarFull = 100;
// Play lets the freshly opened conversion window draw this many times.
constexpr int kPlayOpeningPumps = 20;
}  // namespace convert

// What the commands need of the windows.
class ConversionHost {
public:
    virtual ~ConversionHost() = default;
    // The main window takes no input while a conversion runs.
    virtual void EnableMainWindow(bool enabled) = 0;
    virtual void ActivateMainWindow() = 0;
    // The modeless window "変換中" for `total` messages, findable by its
    // caption through the Progress port while it is open.
    virtual void OpenConvertDialog(int total) = 0;
    virtual void CloseConvertDialog() = 0;
    // Between two messages: true when a backup fell due and the user chose to
    // run it now; the command then ends at once and the backup follows it.
    virtual bool BackupBreaksIn() = 0;
    // A played WAV file to delete when the program closes.
    virtual void QueueWavForDeletion(const std::filesystem::path& wav) = 0;

    // How the built-in player took a WAV file.
    enum class InsidePlay {
        Started,     // the sound has started
        NoDevice,    // no device takes the sound: nothing plays
        Unreadable,  // not a WAV file the player reads: the desktop's player gets it
    };
    // Opens the built-in player's window on `wav`, the WAV file of `record`.
    virtual InsidePlay PlayInside(const std::filesystem::path& wav, const FILESTS_INFO& record) = 0;
};

// The WAV file of a message: an existing one beside it, whatever the case of
// its extension (a system response message's audio copy is ".WAV"), else the
// name a conversion gives it.
std::filesystem::path WavFileOf(const std::filesystem::path& messageFile);
// A plain file is there under that name.
bool WavFileExists(const std::filesystem::path& messageFile);

// How the convert command ended.
enum class [[nodiscard]] ConvertEnd{
    Nothing,    // no row, or the single row's file is absent: nothing shown
    Refused,    // a single message that cannot be converted: its error shown
    Completed,  // the loop ran to its end, or stopped for want of space
    Cancelled,  // the user pressed Cancel: no result message
    ForBackup,  // a backup fell due and was accepted: the command ended at once
};

struct ConvertSummary {
    ConvertEnd end = ConvertEnd::Nothing;
    int converted = 0;
};

// Converts the voice data of the selected rows' messages (`rows` in list
// order) into WAV files beside them, showing the conversion window and the
// result messages. A row without a path (a system response number with no
// message) is passed over; any other row without its voice data counts as
// not downloaded or erased. `levelSetting` is "LEVELRVORWAV".
ConvertSummary ConvertSelected(const std::vector<FILESTS_INFO>& rows, int levelSetting, ConversionHost& host);

struct PlaySettings {
    bool responseList = false;
    int levelSetting = 0;      // "LEVELRVORWAV"
    bool deleteAfter = false;  // "CONVDEL" is 1
    bool builtIn = false;      // the program's own player, not the desktop's
};

// How PlayCurrent ended.
enum class [[nodiscard]] PlayResult{
    Played,    // the WAV file went to the player; the played mark is in the file (or not kept in this list)
    Unmarked,  // the WAV file went to the player, but the played mark could not be written
    NoFile,    // the row names no file: nothing to do
    NotPlayed,
};

// Converts the message of `record` if its WAV file is not there yet and opens
// the WAV file with the built-in player (settings.builtIn) or the desktop's;
// once the sound starts (or the desktop's player has the file), the played
// mark is written into the message file, except in the system response list.
PlayResult PlayCurrent(const FILESTS_INFO& record, const PlaySettings& settings, ConversionHost& host);

// The row 前へ (step -1) and 次へ (+1) play from `current` in a list of
// `rows` rows; nothing past either end.
std::optional<int> NeighbourRow(int current, int step, int rows);

// Deletes the listed files in order, each as often as it is listed; a file
// that is gone, in use or is a folder now stays. `advance` is told the number
// done after each.
void DeleteListedWavFiles(const std::vector<std::filesystem::path>& files,
                          const std::function<void(int done)>& advance);

}  // namespace plova
