#include "folders/ui/BoxListsDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "download/ui/DownloadCommands.h"
#include "folders/ui/FolderHost.h"
#include "lists/ui/CEditListCtrl.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/PathText.h"

namespace plova::ui {
namespace {
constexpr int kListWidth = 260;
constexpr int kListHeight = 240;
constexpr char16_t kFolderLabel[] = u"対象フォルダ";
}  // namespace

BoxListsDlg::BoxListsDlg(FolderHost& host, const Look& look) : BackupTimedDlg(&host, host.MainWindow()), host_(host) {
    setWindowTitle(Qs(look.caption));
    const std::filesystem::path boxFolder = OpenBoxFolder(host);
    rows_ = ReadBoxLists(boxFolder, look.text);
    if (rows_.Empty()) {
        ShowPrompt(std::u16string(boxes::kNoBoxes), std::u16string(boxes::kErrorCaption), Icon::Exclamation);
        return;
    }
    opened_ = true;

    folder_ = new QLineEdit(QsOfPath(boxFolder), this);
    folder_->setReadOnly(true);
    auto* body = new QVBoxLayout;
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(Qs(kFolderLabel), this));
    folderRow->addWidget(folder_, 1);
    body->addLayout(folderRow);

    auto* listsRow = new QHBoxLayout;
    const std::vector<BoxRow>* sources[2] = {&rows_.answering, &rows_.extension};
    const std::u16string_view titles[2] = {look.answeringTitle, look.extensionTitle};
    for (int k = 0; k < 2; ++k) {
        auto* group = new QGroupBox(Qs(titles[k]), this);
        auto* inner = new QVBoxLayout(group);
        auto* list = new CEditListCtrl(group);
        list->setObjectName(k == 0 ? QStringLiteral("answeringBoxes") : QStringLiteral("extensionBoxes"));
        list->SetColumns({QString::fromUtf16(editlist::kNumberHeader), Qs(look.editHeader)});
        list->SetMaxLength(look.maxChars);
        for (const BoxRow& row : *sources[k]) list->AddRow({Qs(row.folderName), Qs(row.text)});
        list->FitColumnWidths();
        list->setMinimumSize(kListWidth, kListHeight);
        inner->addWidget(list);
        listsRow->addWidget(group);
        lists_[k] = list;
        // The row remembers that the user edited it.
        std::vector<BoxRow>* target = k == 0 ? &rows_.answering : &rows_.extension;
        connect(list, &CEditListCtrl::EditEnded, this, [target](int row, const QString&) {
            if (row >= 0 && static_cast<std::size_t>(row) < target->size())
                (*target)[static_cast<std::size_t>(row)].changed = true;
        });
    }
    body->addLayout(listsRow);

    const OkCancel buttons = MakeOkCancel(*this, [this] { OnOK(); });
    // Enter in a name cell ends the edit, not the dialog.
    buttons.ok->setDefault(false);
    buttons.ok->setAutoDefault(false);
    LayOutDialog(*this, body, ButtonRow({buttons.ok, buttons.cancel}));
}

BoxLists BoxListsDlg::Rows() const {
    BoxLists out = rows_;
    std::vector<BoxRow>* targets[2] = {&out.answering, &out.extension};
    for (int k = 0; k < 2; ++k) {
        if (lists_[k] == nullptr) continue;
        const int column = lists_[k]->NameColumn();
        for (std::size_t r = 0; r < targets[k]->size(); ++r)
            (*targets[k])[r].text = lists_[k]->Text(static_cast<int>(r), column).toStdU16String();
    }
    return out;
}

}  // namespace plova::ui
