#include "download/ui/CSelDownDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "download/ui/DownloadCommands.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/PathText.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace fs = std::filesystem;
namespace {
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kListWidth = 220;
constexpr int kListHeight = 200;

void checkAll(QListWidget* list, bool on) {
    for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}
}  // namespace

QListWidget* CSelDownDlg::newBoxList(const fs::path& kindFolder) {
    auto* list = new QListWidget(this);
    list->setMinimumSize(kListWidth, kListHeight);
    for (const fs::path& box : CFileMng::ListSubFolders(kindFolder)) {
        if (CFileMng::ReadMake(box) == store::kMakeByCommand) continue;
        hasBoxes_ = true;
        QString text = QsOfPath(box.filename());
        const std::u16string name = CFileMng::ReadBoxName(box);
        if (!name.empty()) text += QStringLiteral("  ") + Qs(name);
        auto* item = new QListWidgetItem(text, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(kPathRole, QsOfPath(box));
    }
    return list;
}

CSelDownDlg::CSelDownDlg(DownloadHost& host) : BackupTimedDlg(&host, host.MainWindow()), host_(host) {
    setWindowTitle(QStringLiteral("ボックス/システム応答メッセージ選択"));
    boxFolder_ = OpenBoxFolder(host);
    folder_ = new QLineEdit(QsOfPath(boxFolder_), this);
    folder_->setReadOnly(true);
    answering_ = newBoxList(boxFolder_ / "rusuroku");
    extension_ = newBoxList(boxFolder_ / "naisen");
    if (!hasBoxes_) {
        ShowPrompt(std::u16string(dl::kNoBoxFolders), std::u16string(dl::kErrorCaption), Icon::Exclamation);
    }

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("ダウンロード先フォルダ"), this), 0, 0, 1, 2);
    grid->addWidget(folder_, 1, 0, 1, 2);
    const struct {
        const char16_t* title;
        QListWidget* list;
    } lists[] = {{u"留守録BOX", answering_}, {u"内線BOX", extension_}};
    int column = 0;
    for (const auto& l : lists) {
        auto* group = new QGroupBox(Qs(l.title), this);
        auto* inner = new QVBoxLayout(group);
        inner->addWidget(l.list);
        auto* row = new QHBoxLayout;
        auto* all = new QPushButton(QStringLiteral("全選択"), group);
        auto* none = new QPushButton(QStringLiteral("全未選択"), group);
        QListWidget* list = l.list;
        connect(all, &QPushButton::clicked, this, [list] { checkAll(list, true); });
        connect(none, &QPushButton::clicked, this, [list] { checkAll(list, false); });
        row->addWidget(all);
        row->addWidget(none);
        inner->addLayout(row);
        grid->addWidget(group, 2, column++);
    }
    boxRadio_ = new QRadioButton(QStringLiteral("BOX選択"), this);
    responseRadio_ = new QRadioButton(QStringLiteral("システム応答メッセージ"), this);
    boxRadio_->setChecked(true);
    auto* radios = new QHBoxLayout;
    radios->addWidget(boxRadio_);
    radios->addWidget(responseRadio_);
    radios->addStretch(1);
    grid->addLayout(radios, 3, 0, 1, 2);
    // The system response messages have no boxes to tick.
    connect(responseRadio_, &QRadioButton::toggled, this, [this](bool on) {
        answering_->setEnabled(!on);
        extension_->setEnabled(!on);
        info_->setEnabled(!on);
    });

    full_ = new QPushButton(QStringLiteral("録音情報と音声ファイル"), this);
    info_ = new QPushButton(QStringLiteral("録音情報のみ"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(full_, &QPushButton::clicked, this, [this] { OnKind(dl::kKindFull); });
    connect(info_, &QPushButton::clicked, this, [this] { OnKind(dl::kKindInfo); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LayOutDialog(*this, grid, ButtonRow({full_, info_, cancel}));
}

std::vector<fs::path> CSelDownDlg::CheckedBoxes() const {
    std::vector<fs::path> out;
    for (QListWidget* list : {answering_, extension_})
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked)
                out.push_back(PathOfQs(list->item(i)->data(kPathRole).toString()));
    return out;
}

void CSelDownDlg::OnKind(int kind) {
    const bool responses = kind == dl::kKindFull && responseRadio_->isChecked();
    const std::vector<fs::path> boxes = CheckedBoxes();
    if (!responses && boxes.empty()) {
        ShowPrompt(std::u16string(dl::kNotSelected), std::u16string(dl::kErrorCaption), Icon::Exclamation);
        return;
    }
    if (!ConfirmDownload(host_.OpenFolderName())) return;
    stopDialogBackupTimer();
    hide();
    BatchRequest request;
    request.kind = kind;
    request.outouFolder = boxFolder_ / "outou";
    request.responses = responses;
    if (!responses)
        for (const fs::path& box : boxes) request.boxes.push_back(TargetOf(box));
    // The run shows its own closing message; the dialog only closes.
    (void)RunDownload(host_, std::move(request));
    accept();
}

}  // namespace plova::ui
