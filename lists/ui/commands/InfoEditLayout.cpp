#include "lists/ui/commands/InfoEditLayout.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/DialogLayout.h"
#include "store/CFileMng.h"
#include "store/RecordingEdit.h"

namespace plova::ui {
namespace {
constexpr int kFieldWidth = 360;
}  // namespace

InfoEditDialog::InfoEditDialog(const QString& objectName, std::filesystem::path file, DialogBackupWatch* watch,
                               QWidget* parent)
    : BackupTimedDlg(watch, parent), file_(std::move(file)), grid_(new QGridLayout) {
    setObjectName(objectName);
    setWindowTitle(qs(plova::infoedit::kCaption));
    CFileMng::ReadStatusRecord(file_, record_);
}

QString InfoEditDialog::IdName(int id) {
    return QStringLiteral("id%1").arg(id);
}

QLineEdit* InfoEditDialog::Field(int id) const {
    return findChild<QLineEdit*>(IdName(id));
}

QRadioButton* InfoEditDialog::Radio(int id) const {
    return findChild<QRadioButton*>(IdName(id));
}

QLineEdit* InfoEditDialog::AddField(const QString& label, int id, const std::u16string& text, int maxLength) {
    const int row = grid_->rowCount();
    auto* field = new QLineEdit(this);
    field->setObjectName(IdName(id));
    field->setMinimumWidth(kFieldWidth);
    if (!text.empty()) field->setText(QString::fromStdU16String(text));
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    else
        field->setReadOnly(true);
    grid_->addWidget(new QLabel(label, this), row, 0);
    grid_->addWidget(field, row, 1);
    return field;
}

void InfoEditDialog::AddRadioPair(const QString& label, int firstId, const QString& firstText, int secondId,
                                  const QString& secondText, bool first) {
    const int row = grid_->rowCount();
    auto* group = new QButtonGroup(this);
    auto* pair = new QHBoxLayout;
    for (auto [id, text, checked] : {std::tuple{firstId, firstText, first}, std::tuple{secondId, secondText, !first}}) {
        auto* radio = new QRadioButton(text, this);
        radio->setObjectName(IdName(id));
        radio->setChecked(checked);
        group->addButton(radio);
        pair->addWidget(radio);
    }
    pair->addStretch(1);
    grid_->addWidget(new QLabel(label, this), row, 0);
    grid_->addLayout(pair, row, 1);
}

void InfoEditDialog::FinishRows(int focusId) {
    LayOutDialog(*this, grid_, OkCancelRow(*this));
    Field(focusId)->setFocus();
}

void InfoEditDialog::AcceptWhenSaved(const std::function<bool()>& save) {
    StopDialogBackupTimer();
    if (save()) {
        BackupTimedDlg::accept();
        return;
    }
    StartDialogBackupTimer();
}

}  // namespace plova::ui
