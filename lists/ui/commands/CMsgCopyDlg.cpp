#include "lists/ui/commands/CMsgCopyDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lists/ui/CCheckListCtrl.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/PathText.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace fs = std::filesystem;

namespace {

QString idName(int id) {
    return QStringLiteral("id%1").arg(id);
}

void fillList(CCheckListCtrl* list, const fs::path& folder) {
    for (const fs::path& box : CFileMng::ListSubFolders(folder))
        list->AddBox(QsOfPath(box.filename()), QStringLiteral("0"));
}

}  // namespace

CMsgCopyDlg::CMsgCopyDlg(fs::path boxFolder, DialogBackupWatch* watch, QWidget* parent)
    : BackupTimedDlg(watch, parent),
      boxFolder_(std::move(boxFolder)),
      folderField_(new QLineEdit(this)),
      answering_(new CCheckListCtrl(this)),
      extension_(new CCheckListCtrl(this)),
      move_(new QPushButton(Qs(u"移動"), this)),
      copy_(new QPushButton(Qs(u"コピー"), this)) {
    setObjectName(QStringLiteral("CMsgCopyDlg"));
    setWindowTitle(Qs(msgcopy::kCaption));
    folderField_->setObjectName(idName(msgcopy::kFolderField));
    folderField_->setReadOnly(true);
    folderField_->setText(QsOfPath(boxFolder_));
    answering_->setObjectName(idName(msgcopy::kAnsweringList));
    extension_->setObjectName(idName(msgcopy::kExtensionList));
    move_->setObjectName(idName(msgcopy::kMoveButton));
    copy_->setObjectName(idName(msgcopy::kCopyButton));
    connect(answering_, &CCheckListCtrl::TickClicked, this, [this](int row) { onTick(answering_, row); });
    connect(extension_, &CCheckListCtrl::TickClicked, this, [this](int row) { onTick(extension_, row); });
    connect(move_, &QPushButton::clicked, this, [this] { onChoose(transfer::Mode::Move); });
    connect(copy_, &QPushButton::clicked, this, [this] { onChoose(transfer::Mode::Copy); });
    auto* cancel = new QPushButton(Qs(u"キャンセル"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* body = new QVBoxLayout;
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderField_, 1);
    body->addLayout(folderRow);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Qs(u"留守録BOX"), this), 0, 0);
    grid->addWidget(new QLabel(Qs(u"内線BOX"), this), 0, 1);
    grid->addWidget(answering_, 1, 0);
    grid->addWidget(extension_, 1, 1);
    body->addLayout(grid);
    LayOutDialog(*this, body, ButtonRow({move_, copy_, cancel}));
}

bool CMsgCopyDlg::Fill() {
    fillList(answering_, boxFolder_ / PathOfText(store::kAnsweringFolder));
    fillList(extension_, boxFolder_ / PathOfText(store::kExtensionFolder));
    if (answering_->rowCount() == 0 && extension_->rowCount() == 0) {
        ShowPrompt(std::u16string(transfer::kNoBoxInformation), std::u16string(transfer::kErrorCaption),
                   Icon::Exclamation);
        return false;
    }
    answering_->FitColumnWidths();
    extension_->FitColumnWidths();
    return true;
}

void CMsgCopyDlg::onTick(CCheckListCtrl* list, int row) {
    // One box at most: the clicked row keeps its new state, every other is cleared.
    const bool ticked = list->IsTicked(row);
    answering_->SetAll(false);
    extension_->SetAll(false);
    if (ticked) list->Toggle(row);
    answering_->viewport()->update();
    extension_->viewport()->update();
}

void CMsgCopyDlg::onChoose(transfer::Mode mode) {
    using namespace transfer;
    const bool move = mode == Mode::Move;
    stopDialogBackupTimer();
    const Answer answer =
        ShowPrompt(std::u16string(move ? kMoveQuestion : kCopyQuestion),
                   std::u16string(move ? kMoveQuestionCaption : kCopyQuestionCaption), Icon::Question, Buttons::YesNo);
    if (answer != Answer::Yes) {
        startDialogBackupTimer();
        return;
    }
    // The answering-machine list first.
    for (auto [list, kind] :
         {std::pair{answering_, store::kAnsweringFolder}, std::pair{extension_, store::kExtensionFolder}})
        for (int row = 0; row < list->rowCount(); ++row)
            if (list->IsTicked(row)) {
                mode_ = mode;
                chosen_ = PathOfText(kind) / PathOfQs(list->BoxName(row));
                accept();
                return;
            }
    ShowPrompt(std::u16string(kNoBoxChosen), std::u16string(kErrorCaption), Icon::Exclamation);
    startDialogBackupTimer();
}

}  // namespace plova::ui
