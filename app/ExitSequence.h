// Closing the main window: the exit confirmation dialog's button rules and
// the exit sequence, with the main window behind the ExitHost hooks.
#pragma once

#include <filesystem>

#include "app/BackupHooks.h"
#include "app/CPLOVADoc.h"
#include "app/WindowPlacement.h"
#include "platform/Ports.h"

namespace plova {

namespace endchk {
constexpr std::u16string_view kCaption = u"終了確認";
constexpr std::u16string_view kText = u"Kwシリーズ音声ファイル管理を終了しますか？";
constexpr std::u16string_view kBackupAndExit = u"ﾊﾞｯｸｱｯﾌﾟを実行して終了";
constexpr std::u16string_view kYes = u"はい(&Y)";
constexpr std::u16string_view kNo = u"いいえ(&N)";
}  // namespace endchk

// CEndChkDlg's "ﾊﾞｯｸｱｯﾌﾟを実行して終了" button: hidden with HINDO 0,
// disabled with FOLDER empty.
struct EndCheckButtons {
    bool backupVisible = true;
    bool backupEnabled = true;
};
EndCheckButtons EndCheckButtonStates(const SettingsRecord& record);

// The dialog's three ways out.
enum class [[nodiscard]] EndCheckChoice{Cancel, Exit, BackupAndExit};


class ExitHost {
public:
    virtual ~ExitHost() = default;
    virtual void StopBackupTimer() = 0;
    virtual void StartBackupTimer() = 0;
    virtual EndCheckChoice ShowEndCheck(const EndCheckButtons& buttons) = 0;
    // The window placements to save, in stacking order.
    virtual PlacementSave CollectPlacement() = 0;
    // WAV files queued for deletion at exit.
    virtual void DeleteQueuedWavFiles() = 0;
};

// Runs the exit sequence up to the closing of the windows: confirmation,
// the optional backup, one write of the settings with the placements, the
// queued WAV deletions. False when the user cancelled (the program goes on).
// `openListCount` is stored as NUM, the number of list windows open at exit.
bool RunExitSequence(ExitHost& host, CPLOVADoc& doc, BackupFlags& flags, const BackupHooks& backup,
                     const std::filesystem::path& settingsFile, int openListCount);

}  // namespace plova
