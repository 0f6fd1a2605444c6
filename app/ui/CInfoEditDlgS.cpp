#include "app/ui/CInfoEditDlgS.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>

#include "app/ui/DialogLayout.h"
#include "app/ui/InfoEditLayout.h"
#include "store/CFileMng.h"
#include "store/RecordingEdit.h"

namespace plova::ui {

CInfoEditDlgS::CInfoEditDlgS(std::filesystem::path file, const std::u16string& fileName, DialogBackupWatch* watch,
                             QWidget* parent)
    : CBackupTimedDlg(watch, parent), file_(std::move(file)) {
    setObjectName(QStringLiteral("CInfoEditDlgS"));
    setWindowTitle(qs(plova::infoedit::kCaption));
    FILESTS_INFO r;  // a record that cannot be read shows empty fields
    CFileMng().ReadStatusRecord(file_, r);

    using namespace infoedits;
    auto* grid = new QGridLayout;
    AddInfoField(*this, grid, qs(u"ファイル名"), kFileName, fileName);
    AddInfoField(*this, grid, qs(u"メッセージ番号"), kNumber, r.boxNumber);
    AddInfoField(*this, grid, qs(u"メッセージ名称"), kName, r.partyName, plova::infoedit::kResponseNameLimit);
    AddInfoField(*this, grid, qs(u"録音時間"), kRecordingTime, r.recordingTime);
    AddInfoField(*this, grid, qs(u"アップロード"), kUpload, r.played != 0 ? u"済み" : u"");
    AddRadioPair(*this, grid, qs(u"フラグ"), kFlagOn, qs(u"あり"), kFlagOff, qs(u"なし"), r.flag == 1);
    FinishInfoEditDialog(*this, grid);
    Field(kName)->setFocus();
}

QLineEdit* CInfoEditDlgS::Field(int id) const {
    return findChild<QLineEdit*>(QStringLiteral("id%1").arg(id));
}

QRadioButton* CInfoEditDlgS::Radio(int id) const {
    return findChild<QRadioButton*>(QStringLiteral("id%1").arg(id));
}

void CInfoEditDlgS::accept() {
    using namespace infoedits;
    const ResponseMessageEdit edit{Field(kName)->text().toStdU16String(), Radio(kFlagOn)->isChecked()};
    StopDialogBackupTimer();
    std::filesystem::path renamed;
    const plova::infoedit::Result result = SaveResponseMessageEdit(file_, edit, &renamed);
    file_ = renamed;
    // Once the record is written the list must show it, even when a rename failed.
    if (result == plova::infoedit::Result::Saved || result == plova::infoedit::Result::RenameFailed) {
        CBackupTimedDlg::accept();
        return;
    }
    StartDialogBackupTimer();
}

}  // namespace plova::ui
