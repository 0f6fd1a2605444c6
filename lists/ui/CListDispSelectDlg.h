// "録音情報表示設定": which columns the box lists show and in which order.
// Names move between "消去項目" and "現在の表示項目" with four picture
// buttons; OK or "リセット" saves them into the settings and the settings
// file, after which the caller rebuilds the open box lists.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <filesystem>

#include "lists/DisplayItems.h"

class QListWidget;
class QPushButton;

namespace plova::ui {

namespace listdisp {
constexpr char16_t kCaption[] = u"録音情報表示設定";
constexpr int kRemovedList = 1066;
constexpr int kCurrentList = 1067;
constexpr int kAdd = 1068;
constexpr int kRemove = 1069;
constexpr int kUp = 1070;
constexpr int kDown = 1071;
constexpr int kReset = 1072;
constexpr int kListWidth = 100;
}  // namespace listdisp

class CListDispSelectDlg final : public QDialog {
    Q_OBJECT
public:
    // `columns` and `removed` are the settings' arrays, written on a save
    // together with the settings file.
    CListDispSelectDlg(ColumnNames& columns, ColumnNames& removed, std::filesystem::path settingsFile, QWidget* parent);

    [[nodiscard]] QListWidget* RemovedList() const { return removedList_; }
    [[nodiscard]] QListWidget* CurrentList() const { return currentList_; }
    [[nodiscard]] QAbstractButton* Button(int id) const;
    [[nodiscard]] QPushButton* OkButton() const { return ok_; }
    [[nodiscard]] const DisplayItems& Items() const { return items_; }

    // OK: after a "yes", the items are saved and the dialog closes, unless no
    // column is left to show.
    void accept() override;
    void Reset();  // "リセット"

private:
    void move(int id);
    void fill(int currentRow, int removedRow);
    void save();

    ColumnNames& columns_;
    ColumnNames& removed_;
    std::filesystem::path settingsFile_;
    DisplayItems items_;
    QListWidget* removedList_;
    QListWidget* currentList_;
    QPushButton* ok_;
};

}  // namespace plova::ui
