// Editing the recording information of one message: the checks of the
// edited texts, their trip through the code page, and the OK of the two edit
// dialogs (box messages; system response messages, which are also stamped
// and renamed with the edit time). The dialogs only show these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Ports.h"

namespace plova {

namespace infoedit {
constexpr std::u16string_view kCaption = u"録音情報編集";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kInvalid = u"入力値エラーです。";
constexpr std::u16string_view kConfirm = u"登録します。よろしいですか？";
constexpr std::u16string_view kConfirmCaption = u"登録の確認";

// Limits in characters and in code-page bytes alike.
constexpr std::size_t kTitleLimit = 40;
constexpr std::size_t kPartyNumberLimit = 32;
constexpr std::size_t kPartyNameLimit = 32;
constexpr std::size_t kMemoLimit = 80;
constexpr std::size_t kResponseNameLimit = 20;

enum class [[nodiscard]] Result{
    Saved,         // written (and renamed): the dialog closes with OK
    Invalid,       // "入力値エラーです。" shown; the dialog stays
    Declined,      // "いいえ" to the confirmation; the dialog stays
    WriteFailed,   // "入力値エラーです。" shown; nothing changed; the dialog stays
    RenameFailed,  // "入力値エラーです。" shown; the record is written, some names are old
};
}  // namespace infoedit

// The edit dialog's "取込" text of a download state.
std::u16string DownloadKindText(std::uint8_t state);

// A text the user typed is accepted when it holds no "," and takes at most
// `maxBytes` bytes in the code page. An empty text is always accepted.
bool IsAcceptableEditText(std::u16string_view text, std::size_t maxBytes);

// The text as it reads back from the code page: characters it lacks are replaced.
std::u16string ThroughCodePage(std::u16string_view text);

struct BoxMessageEdit {
    std::u16string title;
    std::u16string partyNumber;
    std::u16string partyName;
    std::u16string memo;
    bool isProtected = false;
    bool flag = false;
};

struct ResponseMessageEdit {
    std::u16string name;
    bool flag = false;
};

// OK of the box-message dialog: checks, asks, and writes the edited fields
// into the file's status record; the played mark, the download state and
// everything else stay as they were.
infoedit::Result SaveBoxMessageEdit(const std::filesystem::path& file, const BoxMessageEdit& edit);

// OK of the system-response dialog: checks, asks, writes the name and flag
// into the status record, stamps the recording block with the name and the
// local time, then renames the voice-data file and its audio copies
// (".wav"/".wma" in any case) to "YYYYMMDDhhmm_WWW" of the local time and the
// rest of the old name. `renamed` receives the voice-data file's path after
// the call (the old one when it was not renamed).
infoedit::Result SaveResponseMessageEdit(const std::filesystem::path& file, const ResponseMessageEdit& edit,
                                         std::filesystem::path* renamed = nullptr);

// The new name of a system response message edited at `time`:
// 202612071505_MON_A005_0000.vmdat edited on Tuesday 8 Dec 2026 at 10:30
// becomes 202612081030_TUE_A005_0000.vmdat. Empty when the name is not of
// the 32-character form.
std::u16string EditedResponseName(std::u16string_view oldName, const LocalTime& time);

}  // namespace plova
