// "選択表示" for the system response message list: the message name, the
// upload mark and the flag the rows must have.
#pragma once

#include <QDialog>
#include <string>

#include "lists/SelectCriteria.h"
#include "lists/ui/CriteriaRows.h"

namespace plova::ui {

namespace findsetdlgs {
constexpr int kFolder = 1174;
constexpr int kName = 1175, kNameEdit = 1176;
constexpr int kFlag = 1177, kFlagYes = 1178, kFlagNo = 1179;
constexpr int kUploaded = 1182, kUploadedYes = 1180, kUploadedNo = 1181;
constexpr int kNameChars = 20;
}  // namespace findsetdlgs

class CFindSetDlgS final : public QDialog {
    Q_OBJECT
public:
    // `record` is the response list's stored criteria, replaced on a good OK.
    CFindSetDlgS(SelectCriteria& record, const std::u16string& folderName, QWidget* parent);

    [[nodiscard]] ResponseCriteriaInput Input() const;
    void accept() override;

private:
    SelectCriteria& record_;
    TextRow name_;
    ChoiceRow uploaded_, flag_;
};

}  // namespace plova::ui
