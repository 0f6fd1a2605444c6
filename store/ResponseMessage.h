// New system response messages made from the user's audio: the new file's
// name, the wrapping of coded speech into a voice-data file, and the whole
// procedure behind the Add button of the response list, from the chosen file
// to the finished message. The list window supplies the selection, the
// overwrite question, the file dialog and the progress dialog; everything it
// decides is here, so it runs without a window too (plova-cli import).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Ports.h"
#include "store/AudioImport.h"
#include "store/CFileMng.h"

namespace plova {

namespace response {
constexpr std::u16string_view kImportingCaption = u"取り込み中";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kNotSelected = u"選択されていません。";
constexpr std::u16string_view kOverwriteCaption = u"取り込みの確認";
constexpr std::u16string_view kNoRoom = u"ＰＣのメモリ不足です。";
constexpr std::u16string_view kUnsupported = u"このフォーマットには対応していません。";
// Any audio longer than the encoder takes.
constexpr std::u16string_view kTooLong = u"音声ファイルが長すぎます。10分以内のファイルを選んでください。";
constexpr std::u16string_view kReadingText = u"音声ファイルを読み込んでいます。";
constexpr std::u16string_view kConvertingText = u"音声ファイルを変換しています。";
constexpr std::u16string_view kDoneText = u"音声ファイルの読み込みが完了しました。";
constexpr std::u16string_view kDoneCaption = u"取り込み完了";

// The file dialog of the Add button: every kind of audio the import takes
// first, then the two kinds of the format check, then every file.
constexpr std::u16string_view kOpenDialogTitle = u"ファイルを開く";
constexpr std::u16string_view kOpenDialogDefaultExtension = u"wav";
constexpr std::u16string_view kOpenDialogFilter = u"wavﾌｧｲﾙ(*.wav)|*.wav|wmaﾌｧｲﾙ(*.wma)|*.wma|";
constexpr std::u16string_view kAnyAudioFilter =
    u"音声ﾌｧｲﾙ(*.wav;*.wma;*.mp3;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.mp4)|"
    u"*.wav;*.wma;*.mp3;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.mp4|";
constexpr std::u16string_view kAllFilesFilter = u"すべてのﾌｧｲﾙ(*.*)|*.*|";

// The encoder takes at most this much playing time (equal passes).
constexpr double kMaxImportSeconds = 601;
// Coded speech is kept in whole tenths of a second: 100 bytes each.
constexpr std::uint64_t kBytesPerTenth = 100;
constexpr std::uint64_t kSpaceUnit = 4096;
}  // namespace response

// How AddResponseMessage ended.
enum class [[nodiscard]] AddResult{
    Added,
    NotOpened,      // the chosen file cannot be opened: nothing is said
    NoSpace,        // "ＰＣのメモリ不足です。"
    RefusedFormat,  // the format check failed, before any copy
    ImportFailed,   // copy, decoding, length or encoding failed
    Cancelled,
    WrapFailed,  // the coded speech could not be made a message file
};

// "YYYYMMDDhhmm_WWW_ANNN_0000" + extension, upper case, from the local time:
// 202612071505_MON_A005_0000.WAV for number 5 at 15:05 on Monday 7 Dec 2026.
std::u16string NewResponseMessageName(const LocalTime& time, int number, std::u16string_view extension);

// The voice-data file of an audio copy: its last three characters replaced by
// "vmdat" ("X.WAV" and "X.wma" both become "X.vmdat").
std::filesystem::path VoiceDataPathOf(const std::filesystem::path& audioCopy);

// The message's overwrite question: "メッセージ%03dは既に存在します。\n上書きしますか？".
std::u16string OverwriteQuestion(int number);
// Asks it under "取り込みの確認" with Yes and No; true for Yes.
bool ConfirmOverwrite(int number);

// Turns the bare coded speech in `voiceFile` into a voice-data file of
// message `number` recorded at `time`: status record, recording block and
// the speech cut to whole tenths of a second. Failed leaves the file as it was.
store::RecordWrite WrapResponseMessage(const std::filesystem::path& voiceFile, int number, const LocalTime& time);

// The window around an import: the list window shows CPrgAddMsgDlg and keeps
// the main window disabled between open and close.
class AddMessageWindow {
public:
    virtual ~AddMessageWindow() = default;
    // Disable the main window, show "取り込み中" with "音声ファイルを読み込んでいます。",
    // the bar over `fileSize` advanced to a third of it, and let it paint.
    virtual void Open(std::uintmax_t fileSize) = 0;
    // The bar to the full size and the text "音声ファイルを変換しています。".
    virtual void Converting() = 0;
    // Close the progress dialog and enable the main window.
    virtual void Close() = 0;
};

struct AddMessageRequest {
    std::filesystem::path boxFolder;  // the messages go into its "outou"
    int number = 0;                   // 1..300
    std::filesystem::path source;     // the user's audio file
    // The message's existing voice-data file, when the user agreed to replace it.
    std::filesystem::path oldPath;
    store::ImportLevels levels;
    // Without it only 8 kHz 16-bit mono WAV and WMA of at most 600 s pass.
    // With it (the window's Add button and the command line) anything else
    // FFmpeg decodes passes too, refused with its reason when it is not audio
    // or too long; a source that is neither ".wav" nor ".wma" gets an 8 kHz
    // 16-bit mono ".WAV" as its copy.
    bool anyAudio = false;
    std::filesystem::path intermediate;  // empty: "wave_tmp.wav" in the scratch folder
};

// Adds message `number` from the source file, reporting through the Prompt
// port as the Add button does. The new files are made under passing names and
// take their own names only when complete, so a failure or a cancel leaves
// the folder as it was, an older message of this number included; the older
// message's voice-data and WAV files go once the new one is in place.
// Added with `created` set to the new voice-data file, or why not.
AddResult AddResponseMessage(const AddMessageRequest& request, AddMessageWindow& window,
                             std::filesystem::path* created = nullptr);

}  // namespace plova
