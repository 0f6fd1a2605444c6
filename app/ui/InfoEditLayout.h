// The pieces both recording-information dialogs are built of: labelled text
// fields in a grid, and pairs of radio buttons.
#pragma once

#include <QString>
#include <string>

class QDialog;
class QGridLayout;
class QLineEdit;
class QRadioButton;

namespace plova::ui {

// A field with its label in the next row of `grid`, named "id<id>", holding
// `text`; read-only unless `maxLength` (characters) is given.
QLineEdit* AddInfoField(QDialog& dialog, QGridLayout* grid, const QString& label, int id, const std::u16string& text,
                        int maxLength = 0);

// Two radio buttons in the next row of `grid`, the first checked when `first`.
void AddRadioPair(QDialog& dialog, QGridLayout* grid, const QString& label, int firstId, const QString& firstText,
                  int secondId, const QString& secondText, bool first);

// The OK and キャンセル row of both dialogs, laid out under `grid`.
void FinishInfoEditDialog(QDialog& dialog, QGridLayout* grid);

}  // namespace plova::ui
