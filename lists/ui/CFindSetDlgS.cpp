#include "lists/ui/CFindSetDlgS.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "lists/ui/CFindSetDlg.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {

using namespace findsetdlgs;

CFindSetDlgS::CFindSetDlgS(SelectCriteria& record, const std::u16string& folderName, QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName(QStringLiteral("CFindSetDlgS"));
    setWindowTitle(QString::fromUtf16(findsetdlg::kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(FolderNameRow(this, kFolder, folderName));

    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    name_ = TextRow::Add(grid, 0, u"メッセージ名称", kName, kNameEdit, kNameChars);
    uploaded_ = ChoiceRow::Add(grid, 1, u"アップロード", kUploaded, {u"済み", kUploadedYes}, {u"未", kUploadedNo});
    flag_ = ChoiceRow::Add(grid, 2, u"フラグ", kFlag, {u"あり", kFlagYes}, {u"なし", kFlagNo});
    grid->setColumnStretch(1, 1);
    layout->addWidget(group);

    layout->addLayout(OkCancelRow(*this));

    name_.Restore(record_.partyNameUsed, record_.partyName);
    // Off, the criteria offer "未" and "あり".
    uploaded_.Restore(record_.played, false);
    flag_.Restore(record_.flag, true);
}

ResponseCriteriaInput CFindSetDlgS::Input() const {
    return ResponseCriteriaInput{name_.Input(), uploaded_.Input(), flag_.Input()};
}

void CFindSetDlgS::accept() {
    if (PassedCheck(ApplyResponseCriteria(Input(), record_))) QDialog::accept();
}

}  // namespace plova::ui
