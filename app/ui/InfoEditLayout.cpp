#include "app/ui/InfoEditLayout.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kFieldWidth = 360;
QString idName(int id) {
    return QStringLiteral("id%1").arg(id);
}
}  // namespace

QLineEdit* AddInfoField(QDialog& dialog, QGridLayout* grid, const QString& label, int id, const std::u16string& text,
                        int maxLength) {
    const int row = grid->rowCount();
    auto* field = new QLineEdit(&dialog);
    field->setObjectName(idName(id));
    field->setMinimumWidth(kFieldWidth);
    if (!text.empty()) field->setText(QString::fromStdU16String(text));
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    else
        field->setReadOnly(true);
    grid->addWidget(new QLabel(label, &dialog), row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

void AddRadioPair(QDialog& dialog, QGridLayout* grid, const QString& label, int firstId, const QString& firstText,
                  int secondId, const QString& secondText, bool first) {
    const int row = grid->rowCount();
    auto* group = new QButtonGroup(&dialog);
    auto* pair = new QHBoxLayout;
    for (auto [id, text, checked] : {std::tuple{firstId, firstText, first}, std::tuple{secondId, secondText, !first}}) {
        auto* radio = new QRadioButton(text, &dialog);
        radio->setObjectName(idName(id));
        radio->setChecked(checked);
        group->addButton(radio);
        pair->addWidget(radio);
    }
    pair->addStretch(1);
    grid->addWidget(new QLabel(label, &dialog), row, 0);
    grid->addLayout(pair, row, 1);
}

void FinishInfoEditDialog(QDialog& dialog, QGridLayout* grid) {
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    auto* cancel = new QPushButton(qs(u"キャンセル"), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    LayOutDialog(dialog, grid, ButtonRow({ok, cancel}));
}

}  // namespace plova::ui
