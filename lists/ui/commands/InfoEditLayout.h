// What both recording-information dialogs are built of: the record they show,
// read when they open, labelled text fields and pairs of radio buttons in a
// grid, the OK and キャンセル row, and OK closing the dialog only once the
// edit is written.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/ui/BackupTimedDlg.h"
#include "store/FILESTS_INFO.h"

class QGridLayout;
class QLineEdit;
class QRadioButton;

namespace plova::ui {

class InfoEditDialog : public BackupTimedDlg {
    Q_OBJECT
public:
    [[nodiscard]] QLineEdit* Field(int id) const;
    [[nodiscard]] QRadioButton* Radio(int id) const;

protected:
    // Named `objectName` and captioned "録音情報編集", showing the record of
    // `file`; a record that cannot be read shows empty fields.
    InfoEditDialog(const QString& objectName, std::filesystem::path file, DialogBackupWatch* watch, QWidget* parent);

    // The object name of control `id`: "id<id>".
    static QString idName(int id);

    // A field with its label in the next row, holding `text`; read-only
    // unless `maxLength` (characters) is given.
    QLineEdit* addField(const QString& label, int id, const std::u16string& text, int maxLength = 0);
    // Two radio buttons in the next row, the first checked when `first`.
    void addRadioPair(const QString& label, int firstId, const QString& firstText, int secondId,
                      const QString& secondText, bool first);
    // The OK and キャンセル row under the rows, and the focus in field `focusId`.
    void finishRows(int focusId);

    // OK: the dialog's backup timer stands still while `save` writes; the
    // dialog closes when it returns true and otherwise stays, timer running.
    void acceptWhenSaved(const std::function<bool()>& save);

    std::filesystem::path file_;
    FILESTS_INFO record_;
    QGridLayout* grid_;
};

}  // namespace plova::ui
