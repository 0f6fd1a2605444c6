#include "lists/ui/CBoxOpenDlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "lists/ui/CCheckListCtrl.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

QString idName(int id) {
    return QStringLiteral("id%1").arg(id);
}

// The folder display's text as a path: "：" back to ":", leading blanks gone.
std::u16string pathFromDisplay(std::u16string text) {
    std::replace(text.begin(), text.end(), u'：', u':');
    const auto first = text.find_first_not_of(u' ');
    return first == text.npos ? std::u16string() : text.substr(first);
}

bool contains(const std::vector<std::u16string>& names, const std::u16string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void fillList(CCheckListCtrl* list, const fs::path& folder, const std::vector<std::u16string>& shown) {
    for (const fs::path& box : CFileMng::ListSubFolders(folder)) {
        const std::u16string name = TextOfPath(box.filename());
        list->AddBox(QString::fromStdU16String(name),
                     contains(shown, name) ? QStringLiteral("2") : QStringLiteral("0"));
    }
}

}  // namespace

CBoxOpenDlg::CBoxOpenDlg(ListSlotTable table, const std::u16string& folderDisplay, QWidget* parent)
    : QDialog(parent),
      slots_(table),
      folderPath_(pathFromDisplay(folderDisplay)),
      folderField_(new QLineEdit(this)),
      boxRadio_(new QRadioButton(q(u"BOX選択"), this)),
      responseRadio_(new QRadioButton(q(u"システム応答メッセージ"), this)),
      answering_(new CCheckListCtrl(this)),
      extension_(new CCheckListCtrl(this)),
      open_(new QPushButton(q(u"開く"), this)) {
    setObjectName(QStringLiteral("CBoxOpenDlg"));
    setWindowTitle(QString::fromUtf16(boxopen::kCaption));
    folderName_ = TextOfPath(PathOfText(folderPath_).filename());

    folderField_->setObjectName(idName(boxopen::kFolderField));
    folderField_->setReadOnly(true);
    folderField_->setText(QString::fromStdU16String(folderPath_));
    boxRadio_->setObjectName(idName(boxopen::kBoxRadio));
    responseRadio_->setObjectName(idName(boxopen::kResponseRadio));
    answering_->setObjectName(idName(boxopen::kAnsweringList));
    extension_->setObjectName(idName(boxopen::kExtensionList));
    auto* radios = new QButtonGroup(this);
    radios->addButton(boxRadio_);
    radios->addButton(responseRadio_);
    boxRadio_->setChecked(true);
    connect(boxRadio_, &QRadioButton::toggled, this, &CBoxOpenDlg::enableBoxChoice);

    auto* layout = new QVBoxLayout(this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(q(u"ダウンロード先フォルダ"), this));
    folderRow->addWidget(folderField_, 1);
    layout->addLayout(folderRow);

    auto* grid = new QGridLayout;
    auto column = [&](int col, const char16_t* title, CCheckListCtrl* list, int allId, int noneId) {
        grid->addWidget(new QLabel(q(title), this), 0, col);
        grid->addWidget(list, 1, col);
        auto* buttons = new QHBoxLayout;
        for (auto [id, caption, tick] : {std::tuple{allId, u"全選択", true}, std::tuple{noneId, u"全未選択", false}}) {
            auto* b = new QPushButton(q(caption), this);
            b->setObjectName(idName(id));
            connect(b, &QPushButton::clicked, list, [list, tick = tick] {
                list->SetAll(tick);
                list->viewport()->update();
            });
            buttons->addWidget(b);
        }
        grid->addLayout(buttons, 2, col);
    };
    column(0, u"留守録BOX", answering_, boxopen::kAnsweringAll, boxopen::kAnsweringNone);
    column(1, u"内線BOX", extension_, boxopen::kExtensionAll, boxopen::kExtensionNone);
    auto* choice = new QGroupBox(this);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(boxRadio_);
    choiceLayout->addLayout(grid);
    choiceLayout->addWidget(responseRadio_);
    layout->addWidget(choice);

    auto* cancel = new QPushButton(q(u"キャンセル"), this);
    open_->setDefault(true);
    connect(open_, &QPushButton::clicked, this, &CBoxOpenDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CBoxOpenDlg::reject);
    layout->addLayout(ButtonRow({open_, cancel}));
}

QPushButton* CBoxOpenDlg::Button(int id) const {
    return findChild<QPushButton*>(idName(id));
}

void CBoxOpenDlg::enableBoxChoice(bool on) {
    answering_->setEnabled(on);
    extension_->setEnabled(on);
    for (int id : {boxopen::kAnsweringAll, boxopen::kAnsweringNone, boxopen::kExtensionAll, boxopen::kExtensionNone})
        Button(id)->setEnabled(on);
    answering_->viewport()->update();
    extension_->viewport()->update();
}

bool CBoxOpenDlg::Fill() {
    const BoxSelection shown = slots_.ShownBoxes(folderName_);
    const fs::path folder = PathOfText(folderPath_);
    fillList(answering_, folder / PathOfText(store::kAnsweringFolder), shown.answering);
    fillList(extension_, folder / PathOfText(store::kExtensionFolder), shown.extension);
    if (answering_->rowCount() == 0 && extension_->rowCount() == 0) {
        ShowPrompt(std::u16string(listslots::kNoBoxes), boxopen::kErrorCaption, Icon::Exclamation);
        return false;
    }
    // The response list exists once.
    responseRadio_->setEnabled(!slots_.ResponseListOpen());
    answering_->FitColumnWidths();
    extension_->FitColumnWidths();
    return true;
}

void CBoxOpenDlg::accept() {
    BoxSelection chosen;
    for (auto [list, names] : {std::pair{answering_, &chosen.answering}, std::pair{extension_, &chosen.extension}})
        for (int row = 0; row < list->rowCount(); ++row)
            if (list->IsTicked(row)) names->push_back(list->BoxName(row).toStdU16String());
    const bool response = responseRadio_->isChecked();
    switch (StoreNewList(slots_, response, chosen, folderName_)) {
    case StoreResult::Stored: QDialog::accept(); return;
    case StoreResult::LimitReached:
        ShowPrompt(std::u16string(listslots::kLimitReached), boxopen::kErrorCaption, Icon::Exclamation);
        break;
    case StoreResult::NothingSelected:
        ShowPrompt(std::u16string(listslots::kNothingSelected), boxopen::kErrorCaption, Icon::Exclamation);
        break;
    }
    reject();
}

}  // namespace plova::ui
