#include "lists/ui/commands/CInfoEditDlgS.h"

#include <QLineEdit>
#include <QRadioButton>

#include "platform/ui/DialogLayout.h"
#include "store/RecordingEdit.h"

namespace plova::ui {

CInfoEditDlgS::CInfoEditDlgS(std::filesystem::path file, const std::u16string& fileName, DialogBackupWatch* watch,
                             QWidget* parent)
    : InfoEditDialog(QStringLiteral("CInfoEditDlgS"), std::move(file), watch, parent) {
    using namespace infoedits;
    const FILESTS_INFO& r = record_;
    addField(Qs(u"ファイル名"), kFileName, fileName);
    addField(Qs(u"メッセージ番号"), kNumber, r.boxNumber);
    addField(Qs(u"メッセージ名称"), kName, r.partyName, plova::infoedit::kResponseNameLimit);
    addField(Qs(u"録音時間"), kRecordingTime, r.recordingTime);
    addField(Qs(u"アップロード"), kUpload, r.played != 0 ? u"済み" : u"");
    addRadioPair(Qs(u"フラグ"), kFlagOn, Qs(u"あり"), kFlagOff, Qs(u"なし"), r.flag == 1);
    finishRows(kName);
}

void CInfoEditDlgS::accept() {
    using namespace infoedits;
    const ResponseMessageEdit edit{Field(kName)->text().toStdU16String(), Radio(kFlagOn)->isChecked()};
    acceptWhenSaved([&] {
        std::filesystem::path renamed;
        const plova::infoedit::Result result = SaveResponseMessageEdit(file_, edit, &renamed);
        file_ = renamed;
        // Once the record is written the list must show it, even when a rename failed.
        return result == plova::infoedit::Result::Saved || result == plova::infoedit::Result::RenameFailed;
    });
}

}  // namespace plova::ui
