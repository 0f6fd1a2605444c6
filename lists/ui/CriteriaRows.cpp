#include "lists/ui/CriteriaRows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/Ports.h"

namespace plova::ui {
namespace {

constexpr int kFolderFieldWidth = 360;

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

}  // namespace

QString ControlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

void EnableWith(QCheckBox* check, std::initializer_list<QWidget*> inputs) {
    std::vector<QWidget*> list(inputs);
    for (QWidget* w : list) w->setEnabled(check->isChecked());
    QObject::connect(check, &QCheckBox::toggled, check, [list](bool on) {
        for (QWidget* w : list) w->setEnabled(on);
    });
}

TextRow TextRow::Add(QGridLayout* grid, int row, const char16_t* caption, int checkId, int editId, int maxChars) {
    QWidget* parent = grid->parentWidget();
    TextRow r;
    r.check = new QCheckBox(q(caption), parent);
    r.check->setObjectName(ControlName(checkId));
    r.edit = new QLineEdit(parent);
    r.edit->setObjectName(ControlName(editId));
    r.edit->setMaxLength(maxChars);
    grid->addWidget(r.check, row, 0);
    grid->addWidget(r.edit, row, 1, 1, -1);
    EnableWith(r.check, {r.edit});
    return r;
}

void TextRow::Restore(bool used, const std::u16string& text) {
    check->setChecked(used);
    if (used) edit->setText(QString::fromStdU16String(text));
}

TextInput TextRow::Input() const {
    return TextInput{check->isChecked(), edit->text().toStdU16String()};
}

ChoiceRow ChoiceRow::Add(QGridLayout* grid, int row, const char16_t* caption, int checkId,
                         std::pair<const char16_t*, int> firstRadio, std::pair<const char16_t*, int> secondRadio) {
    QWidget* parent = grid->parentWidget();
    ChoiceRow r;
    r.check = new QCheckBox(q(caption), parent);
    r.check->setObjectName(ControlName(checkId));
    r.first = new QRadioButton(q(firstRadio.first), parent);
    r.first->setObjectName(ControlName(firstRadio.second));
    r.second = new QRadioButton(q(secondRadio.first), parent);
    r.second->setObjectName(ControlName(secondRadio.second));
    auto* group = new QButtonGroup(parent);
    group->addButton(r.first);
    group->addButton(r.second);
    r.first->setChecked(true);
    auto* radios = new QHBoxLayout;
    radios->addWidget(r.first);
    radios->addWidget(r.second);
    radios->addStretch(1);
    grid->addWidget(r.check, row, 0);
    grid->addLayout(radios, row, 1, 1, -1);
    EnableWith(r.check, {r.first, r.second});
    return r;
}

void ChoiceRow::Restore(std::uint8_t value, bool offFirst) {
    const bool used = value == 0 || value == 1;
    check->setChecked(used);
    (used ? value == 1 : offFirst) ? first->setChecked(true) : second->setChecked(true);
}

ChoiceInput ChoiceRow::Input() const {
    return ChoiceInput{check->isChecked(), first->isChecked()};
}

QHBoxLayout* FolderNameRow(QWidget* parent, int id, const std::u16string& text) {
    auto* field = new QLineEdit(QString::fromStdU16String(text), parent);
    field->setObjectName(ControlName(id));
    field->setReadOnly(true);
    // Wide enough for a usual path at a glance; the field scrolls for the rest.
    field->setMinimumWidth(kFolderFieldWidth);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(q(u"フォルダ名"), parent));
    row->addWidget(field, 1);
    return row;
}

bool PassedCheck(CriteriaCheck check) {
    if (check == CriteriaCheck::Ok) return true;
    ShowPrompt(std::u16string(CriteriaCheckMessage(check)), std::u16string(findset::kErrorCaption), Icon::Exclamation);
    return false;
}

}  // namespace plova::ui
