// "録音情報編集" for a message of an answering-machine or extension box: the
// record's texts, flag and protected mark can be changed; the rest is shown.
#pragma once

#include <filesystem>
#include <string>

#include "lists/ui/commands/InfoEditLayout.h"

namespace plova::ui {

namespace infoedit {
// Control ids, for the tests and the object names.
constexpr int kBoxName = 1052;
constexpr int kFileName = 1053;
constexpr int kBoxNumber = 1054;
constexpr int kTitle = 1056;
constexpr int kPartyNumber = 1057;
constexpr int kPartyName = 1058;
constexpr int kPlayed = 1059;
constexpr int kDownload = 1060;
constexpr int kDate = 1061;
constexpr int kRecordingTime = 1062;
constexpr int kProtected = 1063;
constexpr int kUnprotected = 1064;
constexpr int kMemo = 1065;
constexpr int kFlagOn = 1036;
constexpr int kFlagOff = 1037;
}  // namespace infoedit

class CInfoEditDlg final : public InfoEditDialog {
    Q_OBJECT
public:
    // `fileName` is the path as the list's "ファイル名" column shows it.
    CInfoEditDlg(std::filesystem::path file, const std::u16string& fileName, DialogBackupWatch* watch, QWidget* parent);

    // OK: checks, asks and writes; the dialog closes only once written.
    void accept() override;
};

}  // namespace plova::ui
