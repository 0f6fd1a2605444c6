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
    setWindowTitle(Qs(plova::infoedit::kCaption));
    CFileMng::ReadStatusRecord(file_, record_);
}

QString InfoEditDialog::idName(int id) {
    return QStringLiteral("id%1").arg(id);
}

QLineEdit* InfoEditDialog::Field(int id) const {
    return findChild<QLineEdit*>(idName(id));
}

QRadioButton* InfoEditDialog::Radio(int id) const {
    return findChild<QRadioButton*>(idName(id));
}

QLineEdit* InfoEditDialog::addField(const QString& label, int id, const std::u16string& text, int maxLength) {
    const int row = grid_->rowCount();
    auto* field = new QLineEdit(this);
    field->setObjectName(idName(id));
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

void InfoEditDialog::addRadioPair(const QString& label, int firstId, const QString& firstText, int secondId,
                                  const QString& secondText, bool first) {
    const int row = grid_->rowCount();
    auto* group = new QButtonGroup(this);
    auto* pair = new QHBoxLayout;
    for (auto [id, text, checked] : {std::tuple{firstId, firstText, first}, std::tuple{secondId, secondText, !first}}) {
        auto* radio = new QRadioButton(text, this);
        radio->setObjectName(idName(id));
        radio->setChecked(checked);
        group->addButton(radio);
        pair->addWidget(radio);
    }
    pair->addStretch(1);
    grid_->addWidget(new QLabel(label, this), row, 0);
    grid_->addLayout(pair, row, 1);
}

void InfoEditDialog::finishRows(int focusId) {
    LayOutDialog(*this, grid_, OkCancelRow(*this));
    Field(focusId)->setFocus();
}

void InfoEditDialog::acceptWhenSaved(const std::function<bool()>& save) {
    stopDialogBackupTimer();
    if (save()) {
        BackupTimedDlg::accept();
        return;
    }
    startDialogBackupTimer();
}

}  // namespace plova::ui
