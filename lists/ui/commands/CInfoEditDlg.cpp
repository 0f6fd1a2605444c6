#include "lists/ui/commands/CInfoEditDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "lists/ui/ListPictures.h"
#include "platform/ui/DialogLayout.h"
#include "store/RecordingEdit.h"

namespace plova::ui {

CInfoEditDlg::CInfoEditDlg(std::filesystem::path file, const std::u16string& fileName, DialogBackupWatch* watch,
                           QWidget* parent)
    : InfoEditDialog(QStringLiteral("CInfoEditDlg"), std::move(file), watch, parent) {
    using namespace infoedit;
    namespace limit = plova::infoedit;
    const FILESTS_INFO& r = record_;
    addField(Qs(u"ファイル名"), kFileName, fileName);
    addField(Qs(u"BOX番号"), kBoxNumber, r.boxNumber);
    addField(Qs(u"BOX名称"), kBoxName, r.boxName);
    addField(Qs(u"相手番号"), kPartyNumber, r.partyNumber, limit::kPartyNumberLimit);
    addField(Qs(u"相手名称"), kPartyName, r.partyName, limit::kPartyNameLimit);
    addField(Qs(u"録音日時"), kDate, r.date);
    addField(Qs(u"録音時間"), kRecordingTime, r.recordingTime);
    addField(Qs(u"タイトル"), kTitle, r.title, limit::kTitleLimit);
    addField(Qs(u"メモ"), kMemo, r.memo, limit::kMemoLimit);
    addRadioPair(Qs(u"フラグ"), kFlagOn, Qs(u"あり"), kFlagOff, Qs(u"なし"), r.flag == 1);
    addRadioPair(Qs(u"保護／非保護"), kProtected, Qs(u"保護"), kUnprotected, Qs(u"非保護"), r.isProtected == 1);

    const int row = grid_->rowCount();
    auto* played = new QLabel(this);
    played->setObjectName(idName(kPlayed));
    played->setText(Qs(r.played != 0 ? u"再生済" : u"未再生"));
    auto* playedPicture = new QLabel(this);
    playedPicture->setPixmap(TickPicture(r.played != 0, false));
    auto* playedRow = new QHBoxLayout;
    playedRow->addWidget(playedPicture);
    playedRow->addWidget(played);
    playedRow->addStretch(1);
    grid_->addWidget(new QLabel(Qs(u"再生／未再生"), this), row, 0);
    grid_->addLayout(playedRow, row, 1);

    // The download kind is shown only: the field takes neither focus nor the mouse.
    QLineEdit* download = addField(Qs(u"取込"), kDownload, DownloadKindText(r.downloadState));
    download->setFocusPolicy(Qt::NoFocus);
    download->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* downloadPicture = new QLabel(this);
    downloadPicture->setPixmap(DownloadPicture(std::min<int>(r.downloadState, kDeletedOnMainUnit), false));
    grid_->addWidget(downloadPicture, grid_->rowCount() - 1, 2);
    finishRows(kPartyNumber);
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
    acceptWhenSaved([&] { return SaveBoxMessageEdit(file_, edit) == plova::infoedit::Result::Saved; });
}

}  // namespace plova::ui
