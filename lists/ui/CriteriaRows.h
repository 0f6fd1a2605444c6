// The rows the two criteria dialogs of the select display share: a check box
// that enables its inputs, with an edit field or a pair of radio buttons,
// restored from a criteria record and read back as dialog input.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "lists/SelectCriteria.h"

class QCheckBox;
class QDialog;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace plova::ui {

QString ControlName(int id);

// The check box, its edit field (at most `maxChars` characters) and the
// enabling between them, in row `row` of `grid`.
struct TextRow {
    QCheckBox* check = nullptr;
    QLineEdit* edit = nullptr;

    static TextRow Add(QGridLayout* grid, int row, const char16_t* caption, int checkId, int editId, int maxChars);
    void Restore(bool used, const std::u16string& text);
    [[nodiscard]] TextInput Input() const;
};

// The check box and its two radio buttons.
struct ChoiceRow {
    QCheckBox* check = nullptr;
    QRadioButton* first = nullptr;
    QRadioButton* second = nullptr;

    static ChoiceRow Add(QGridLayout* grid, int row, const char16_t* caption, int checkId,
                         std::pair<const char16_t*, int> firstRadio, std::pair<const char16_t*, int> secondRadio);
    // `value` 1 is the first radio, 0 the second; any other value leaves the
    // criterion off with the first radio chosen when `offFirst`, else the second.
    void Restore(std::uint8_t value, bool offFirst);
    [[nodiscard]] ChoiceInput Input() const;
};

// "フォルダ名" and its read-only field.
QHBoxLayout* FolderNameRow(QWidget* parent, int id, const std::u16string& text);

// True when `check` passed; otherwise its message is shown and the dialog stays open.
bool PassedCheck(CriteriaCheck check);

// A check box that enables or disables `inputs` as it is ticked.
void EnableWith(QCheckBox* check, std::initializer_list<QWidget*> inputs);

}  // namespace plova::ui
