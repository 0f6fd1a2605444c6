#include "lists/ui/CFindSetDlg.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {

using namespace findsetdlg;

// The dates a picker offers, and the form the criteria keep them in.
const QDate kFirstDate(2009, 1, 1);
const QDate kLastDate(2099, 12, 31);
const QString kDateForm = QStringLiteral("yyyy/MM/dd");

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

QDateEdit* newPicker(int id, QWidget* parent) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(ControlName(id));
    picker->setDateRange(kFirstDate, kLastDate);
    picker->setDisplayFormat(kDateForm);
    picker->setCalendarPopup(true);
    const LocalTime now = CurrentPorts().clock->Now();
    picker->setDate(QDate(now.year, now.month, now.day));
    return picker;
}

// "YYYY/MM/DD" as the criteria keep it.
QDate dateOf(const std::u16string& text) {
    const QString t = QString::fromStdU16String(text);
    return QDate(t.mid(0, 4).toInt(), t.mid(5, 2).toInt(), t.mid(8, 2).toInt());
}

std::u16string textOf(const QDateEdit* picker) {
    return picker->date().toString(kDateForm).toStdU16String();
}

QCheckBox* newCheck(const char16_t* caption, int id, QWidget* parent) {
    auto* check = new QCheckBox(q(caption), parent);
    check->setObjectName(ControlName(id));
    return check;
}

}  // namespace

CFindSetDlg::CFindSetDlg(SelectCriteria& record, const std::u16string& folderName, QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName(QStringLiteral("CFindSetDlg"));
    setWindowTitle(q(kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(FolderNameRow(this, kFolder, folderName));

    auto* group = new QGroupBox(q(u"検索条件"), this);
    auto* grid = new QGridLayout(group);
    int row = 0;
    date_ = newCheck(u"日付", kDate, group);
    from_ = newPicker(kDateFrom, group);
    to_ = newPicker(kDateTo, group);
    auto* dates = new QHBoxLayout;
    dates->addWidget(from_);
    dates->addWidget(new QLabel(q(u"～"), group));
    dates->addWidget(to_);
    dates->addStretch(1);
    grid->addWidget(date_, row, 0);
    grid->addLayout(dates, row++, 1, 1, -1);
    EnableWith(date_, {from_, to_});

    title_ = TextRow::Add(grid, row++, u"タイトル", kTitle, kTitleEdit, 40);
    boxNumber_ = TextRow::Add(grid, row++, u"BOX番号", kBoxNumber, kBoxNumberEdit, 4);
    boxName_ = TextRow::Add(grid, row++, u"BOX名称", kBoxName, kBoxNameEdit, 10);
    partyNumber_ = TextRow::Add(grid, row++, u"相手番号", kPartyNumber, kPartyNumberEdit, 32);
    partyName_ = TextRow::Add(grid, row++, u"相手名称", kPartyName, kPartyNameEdit, 32);
    played_ = ChoiceRow::Add(grid, row++, u"再生／未再生", kPlayed, {u"再生済", kPlayedYes}, {u"未再生", kPlayedNo});
    protected_ =
        ChoiceRow::Add(grid, row++, u"保護／非保護", kProtected, {u"保護", kProtectedYes}, {u"非保護", kProtectedNo});

    download_ = newCheck(u"取込", kDownload, group);
    downloadPlayed_ = newCheck(u"再生済", kDownloadPlayed, group);
    downloadUnplayed_ = newCheck(u"未再生", kDownloadUnplayed, group);
    downloadDeleted_ = newCheck(u"消去済", kDownloadDeleted, group);
    downloadInfoOnly_ = newCheck(u"録音情報のみ", kDownloadInfoOnly, group);
    auto* states = new QHBoxLayout;
    for (QCheckBox* b : {downloadPlayed_, downloadUnplayed_, downloadDeleted_, downloadInfoOnly_}) states->addWidget(b);
    states->addStretch(1);
    grid->addWidget(download_, row, 0);
    grid->addLayout(states, row++, 1, 1, -1);
    EnableWith(download_, {downloadPlayed_, downloadUnplayed_, downloadDeleted_, downloadInfoOnly_});
    // "録音情報のみ" and the three others exclude each other.
    connect(downloadInfoOnly_, &QCheckBox::clicked, this, [this](bool on) {
        if (!on) return;
        for (QCheckBox* b : {downloadPlayed_, downloadUnplayed_, downloadDeleted_}) b->setChecked(false);
    });
    for (QCheckBox* b : {downloadPlayed_, downloadUnplayed_, downloadDeleted_})
        connect(b, &QCheckBox::clicked, this, [this](bool on) {
            if (on) downloadInfoOnly_->setChecked(false);
        });

    flag_ = ChoiceRow::Add(grid, row++, u"フラグ", kFlag, {u"あり", kFlagYes}, {u"なし", kFlagNo});
    memo_ = TextRow::Add(grid, row++, u"メモ", kMemo, kMemoEdit, 40);
    grid->setColumnStretch(1, 1);
    layout->addWidget(group);

    layout->addLayout(OkCancelRow(*this));

    restore();
}

void CFindSetDlg::restore() {
    const SelectCriteria& c = record_;
    date_->setChecked(c.dateUsed);
    if (c.dateUsed) {
        from_->setDate(dateOf(c.dateFrom));
        to_->setDate(dateOf(c.dateTo));
    }
    title_.Restore(c.titleUsed, c.title);
    boxNumber_.Restore(c.boxNumberUsed, c.boxNumber);
    boxName_.Restore(c.boxNameUsed, c.boxName);
    partyNumber_.Restore(c.partyNumberUsed, c.partyNumber);
    partyName_.Restore(c.partyNameUsed, c.partyName);
    memo_.Restore(c.memoUsed, c.memo);
    played_.Restore(c.played, true);
    protected_.Restore(c.isProtected, true);
    flag_.Restore(c.flag, true);

    const std::uint8_t code = c.downloadCode;
    download_->setChecked(code != findset::kDownloadUnused);
    for (auto [box, state] :
         {std::pair{downloadPlayed_, kPlayedOnMainUnit}, std::pair{downloadUnplayed_, kUnplayedOnMainUnit},
          std::pair{downloadDeleted_, kDeletedOnMainUnit}, std::pair{downloadInfoOnly_, kInfoOnly}})
        box->setChecked(code != findset::kDownloadUnused && DownloadCodeMatches(code, state));
}

BoxCriteriaInput CFindSetDlg::Input() const {
    BoxCriteriaInput in;
    in.dateTicked = date_->isChecked();
    in.dateFrom = textOf(from_);
    in.dateTo = textOf(to_);
    in.title = title_.Input();
    in.boxNumber = boxNumber_.Input();
    in.boxName = boxName_.Input();
    in.partyNumber = partyNumber_.Input();
    in.partyName = partyName_.Input();
    in.memo = memo_.Input();
    in.played = played_.Input();
    in.isProtected = protected_.Input();
    in.flag = flag_.Input();
    in.downloadTicked = download_->isChecked();
    in.downloadPlayed = downloadPlayed_->isChecked();
    in.downloadUnplayed = downloadUnplayed_->isChecked();
    in.downloadDeleted = downloadDeleted_->isChecked();
    in.downloadInfoOnly = downloadInfoOnly_->isChecked();
    return in;
}

void CFindSetDlg::accept() {
    if (PassedCheck(ApplyBoxCriteria(Input(), record_))) QDialog::accept();
}

}  // namespace plova::ui
