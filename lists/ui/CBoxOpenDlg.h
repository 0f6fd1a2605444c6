// "ボックス/システム応答メッセージを開く": which boxes of the current box
// folder the new list shows, or the system response messages. Boxes already
// shown by an open list of the same folder are marked "2" and cannot be
// chosen again; the response list opens once.
#pragma once

#include <QDialog>
#include <string>

#include "lists/ListSlots.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace plova::ui {

class CCheckListCtrl;

namespace boxopen {
constexpr char16_t kCaption[] = u"ボックス/システム応答メッセージを開く";
constexpr char16_t kErrorCaption[] = u"エラー";
// Control ids, for the tests and the object names.
constexpr int kFolderField = 1029;
constexpr int kAnsweringList = 1030;
constexpr int kExtensionList = 1031;
constexpr int kAnsweringAll = 1032;
constexpr int kAnsweringNone = 1033;
constexpr int kExtensionAll = 1034;
constexpr int kExtensionNone = 1035;
constexpr int kBoxRadio = 1165;
constexpr int kResponseRadio = 1166;
}  // namespace boxopen

class CBoxOpenDlg final : public QDialog {
    Q_OBJECT
public:
    // `folderDisplay` is the command bar's folder display, naming the box folder.
    CBoxOpenDlg(ListSlotTable table, const std::u16string& folderDisplay, QWidget* parent);

    // Lists the boxes; false, with the message shown, when the folder has none.
    bool Fill();

    [[nodiscard]] CCheckListCtrl* AnsweringList() const { return answering_; }
    [[nodiscard]] CCheckListCtrl* ExtensionList() const { return extension_; }
    [[nodiscard]] QRadioButton* BoxRadio() const { return boxRadio_; }
    [[nodiscard]] QRadioButton* ResponseRadio() const { return responseRadio_; }
    [[nodiscard]] QPushButton* Button(int id) const;
    [[nodiscard]] QPushButton* OpenButton() const { return open_; }
    [[nodiscard]] const std::u16string& FolderPath() const { return folderPath_; }

    // "開く": the new list into the next slot, or the reason it cannot be.
    void accept() override;

private:
    void enableBoxChoice(bool on);

    ListSlotTable slots_;
    std::u16string folderPath_;
    std::u16string folderName_;
    QLineEdit* folderField_;
    QRadioButton* boxRadio_;
    QRadioButton* responseRadio_;
    CCheckListCtrl* answering_;
    CCheckListCtrl* extension_;
    QPushButton* open_;
};

}  // namespace plova::ui
