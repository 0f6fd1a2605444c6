#include "app/ui/CInfoEditDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/ui/DialogLayout.h"
#include "app/ui/InfoEditLayout.h"
#include "lists/ui/ListPictures.h"
#include "store/CFileMng.h"
#include "store/RecordingEdit.h"

namespace plova::ui {

CInfoEditDlg::CInfoEditDlg(std::filesystem::path file, const std::u16string& fileName, DialogBackupWatch* watch,
                           QWidget* parent)
    : CBackupTimedDlg(watch, parent), file_(std::move(file)) {
    setObjectName(QStringLiteral("CInfoEditDlg"));
    setWindowTitle(qs(plova::infoedit::kCaption));
    FILESTS_INFO r;  // a record that cannot be read shows empty fields
    CFileMng().ReadStatusRecord(file_, r);

    using namespace infoedit;
    namespace limit = plova::infoedit;
    auto* grid = new QGridLayout;
    AddInfoField(*this, grid, qs(u"ファイル名"), kFileName, fileName);
    AddInfoField(*this, grid, qs(u"BOX番号"), kBoxNumber, r.boxNumber);
    AddInfoField(*this, grid, qs(u"BOX名称"), kBoxName, r.boxName);
    AddInfoField(*this, grid, qs(u"相手番号"), kPartyNumber, r.partyNumber, limit::kPartyNumberLimit);
    AddInfoField(*this, grid, qs(u"相手名称"), kPartyName, r.partyName, limit::kPartyNameLimit);
    AddInfoField(*this, grid, qs(u"録音日時"), kDate, r.date);
    AddInfoField(*this, grid, qs(u"録音時間"), kRecordingTime, r.recordingTime);
    AddInfoField(*this, grid, qs(u"タイトル"), kTitle, r.title, limit::kTitleLimit);
    AddInfoField(*this, grid, qs(u"メモ"), kMemo, r.memo, limit::kMemoLimit);
    AddRadioPair(*this, grid, qs(u"フラグ"), kFlagOn, qs(u"あり"), kFlagOff, qs(u"なし"), r.flag == 1);
    AddRadioPair(*this, grid, qs(u"保護／非保護"), kProtected, qs(u"保護"), kUnprotected, qs(u"非保護"),
                 r.isProtected == 1);

    const int row = grid->rowCount();
    auto* played = new QLabel(this);
    played->setObjectName(QStringLiteral("id%1").arg(kPlayed));
    played->setText(qs(r.played != 0 ? u"再生済" : u"未再生"));
    auto* playedPicture = new QLabel(this);
    playedPicture->setPixmap(TickPicture(r.played != 0, false));
    auto* playedRow = new QHBoxLayout;
    playedRow->addWidget(playedPicture);
    playedRow->addWidget(played);
    playedRow->addStretch(1);
    grid->addWidget(new QLabel(qs(u"再生／未再生"), this), row, 0);
    grid->addLayout(playedRow, row, 1);

    // The download kind is shown only: the field takes neither focus nor the mouse.
    QLineEdit* download = AddInfoField(*this, grid, qs(u"取込"), kDownload, DownloadKindText(r.downloadState));
    download->setFocusPolicy(Qt::NoFocus);
    download->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* downloadPicture = new QLabel(this);
    downloadPicture->setPixmap(DownloadPicture(std::min<int>(r.downloadState, kDeletedOnMainUnit), false));
    grid->addWidget(downloadPicture, grid->rowCount() - 1, 2);
    FinishInfoEditDialog(*this, grid);
    Field(kPartyNumber)->setFocus();
}

QLineEdit* CInfoEditDlg::Field(int id) const {
    return findChild<QLineEdit*>(QStringLiteral("id%1").arg(id));
}

QRadioButton* CInfoEditDlg::Radio(int id) const {
    return findChild<QRadioButton*>(QStringLiteral("id%1").arg(id));
}

void CInfoEditDlg::accept() {
    using namespace infoedit;
    auto text = [this](int id) { return Field(id)->text().toStdU16String(); };
    const BoxMessageEdit edit{text(kTitle),
                              text(kPartyNumber),
                              text(kPartyName),
                              text(kMemo),
                              Radio(kProtected)->isChecked(),
                              Radio(kFlagOn)->isChecked()};
    StopDialogBackupTimer();
    if (SaveBoxMessageEdit(file_, edit) == plova::infoedit::Result::Saved) {
        CBackupTimedDlg::accept();
        return;
    }
    StartDialogBackupTimer();
}

}  // namespace plova::ui
