// "選択表示" for a box list: the criteria the rows must meet. Opening it
// shows the stored criteria; OK checks the inputs and stores them, or says
// what is wrong and stays open.
#pragma once

#include <QDialog>
#include <string>

#include "lists/SelectCriteria.h"
#include "lists/ui/CriteriaRows.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;

namespace plova::ui {

namespace findsetdlg {
constexpr char16_t kCaption[] = u"選択表示";
constexpr int kFolder = 1080;
constexpr int kDate = 1081, kDateFrom = 1134, kDateTo = 1136;
constexpr int kTitle = 1082, kTitleEdit = 1056;
constexpr int kBoxNumber = 1083, kBoxNumberEdit = 1024;
constexpr int kBoxName = 1084, kBoxNameEdit = 1025;
constexpr int kPartyNumber = 1085, kPartyNumberEdit = 1026;
constexpr int kPartyName = 1086, kPartyNameEdit = 1027;
constexpr int kPlayed = 1087, kPlayedYes = 1102, kPlayedNo = 1103;
constexpr int kProtected = 1088, kProtectedYes = 1036, kProtectedNo = 1037;
constexpr int kDownload = 1089, kDownloadPlayed = 1098, kDownloadUnplayed = 1099, kDownloadDeleted = 1100,
              kDownloadInfoOnly = 1101;
constexpr int kFlag = 1090, kFlagYes = 1038, kFlagNo = 1039;
constexpr int kMemo = 1091, kMemoEdit = 1065;
}  // namespace findsetdlg

class CFindSetDlg final : public QDialog {
    Q_OBJECT
public:
    // `record` is the box lists' stored criteria, replaced on a good OK;
    // `folderName` the root folder followed by the current folder name.
    CFindSetDlg(SelectCriteria& record, const std::u16string& folderName, QWidget* parent);

    // What the dialog holds now, as OK reads it.
    [[nodiscard]] BoxCriteriaInput Input() const;
    [[nodiscard]] QDateEdit* DateFrom() const { return from_; }
    [[nodiscard]] QDateEdit* DateTo() const { return to_; }

    void accept() override;

private:
    void restore();

    SelectCriteria& record_;
    QCheckBox* date_;
    QDateEdit* from_;
    QDateEdit* to_;
    TextRow title_, boxNumber_, boxName_, partyNumber_, partyName_, memo_;
    ChoiceRow played_, protected_, flag_;
    QCheckBox* download_;
    QCheckBox* downloadPlayed_;
    QCheckBox* downloadUnplayed_;
    QCheckBox* downloadDeleted_;
    QCheckBox* downloadInfoOnly_;
};

}  // namespace plova::ui
