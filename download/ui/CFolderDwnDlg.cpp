#include "download/ui/CFolderDwnDlg.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <system_error>

#include "download/ui/CFolderNmChg.h"
#include "download/ui/DownloadCommands.h"
#include "download/ui/PrgDownDlg.h"
#include "link/CFtpMng.h"
#include "platform/AppPaths.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/PathText.h"
#include "store/BoxFolderLock.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace fs = std::filesystem;
namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr char16_t kBrowseTitle[] = u"\nダウンロード先のフォルダを作成してください。";
constexpr char16_t kDeleteQuestion[] = u"削除します。よろしいですか？";
constexpr char16_t kDeleteCaption[] = u"削除の確認";
constexpr char16_t kDeleteFailed[] = u"一部のファイルが削除できませんでした。";

// Deletes a folder with everything in it, a file at a time behind the
// progress window; false when something could not be deleted.
bool deleteFolderTree(const fs::path& folder) {
    PrgDownDlg progress(PrgDownDlg::Kind::Deleting);
    progress.show();
    std::error_code ec;
    std::vector<fs::path> entries;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    progress.SetTotals(0, static_cast<int>(entries.size()));
    bool ok = !ec;
    // Deepest first, so every folder is empty by the time it is removed.
    int done = 0;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        std::error_code e;
        fs::remove(*it, e);  // a file, a link, or a folder emptied by now
        if (e) ok = false;
        progress.OnMessage(msg::kBarPosition, ++done);
        QCoreApplication::processEvents();
    }
    fs::remove(folder, ec);
    return ok && !ec;
}

}  // namespace

CFolderDwnDlg::CFolderDwnDlg(DownloadHost& host) : BackupTimedDlg(&host, host.MainWindow()), host_(host) {
    setWindowTitle(QStringLiteral("フォルダのダウンロード"));
    list_ = new QTreeWidget(this);
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("パス")});
    list_->setRootIsDecorated(false);
    list_->setMinimumSize(460, 220);
    list_->header()->resizeSection(0, 140);

    download_ = new QPushButton(QStringLiteral("ダウンロード"), this);
    auto* add = new QPushButton(QStringLiteral("フォルダ追加"), this);
    auto* remove = new QPushButton(QStringLiteral("フォルダ削除"), this);
    auto* rename = new QPushButton(QStringLiteral("名称変更"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(download_, &QPushButton::clicked, this, &CFolderDwnDlg::OnDownload);
    connect(add, &QPushButton::clicked, this, &CFolderDwnDlg::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CFolderDwnDlg::OnDelete);
    connect(rename, &QPushButton::clicked, this, &CFolderDwnDlg::OnRename);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {download_, add, remove, rename}) side->addWidget(b);
    side->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(list_, 1);
    body->addLayout(side);
    LayOutDialog(*this, body, ButtonRow({cancel}));

    // The candidates: the box folders under the root folder, the open one
    // first. Only folders that are there: before any box folder is open the
    // name taken from the folder field is the root's own, and that folder
    // inside the root does not exist.
    const fs::path open = OpenBoxFolder(host_);
    std::error_code ec;
    if (!open.empty() && fs::is_directory(open, ec)) AddFolder(open);
    const std::u16string root = host_.RootFolder();
    if (!root.empty())
        for (const fs::path& sub : CFileMng::ListSubFolders(PathOfText(root)))
            if (CFileMng::IsBoxFolder(sub)) AddFolder(sub);
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));

    browse_ = [this](const QString& start) { return ChooseFolder(this, Qs(kBrowseTitle), start); };
    renamer_ = [this](const QString& name, const fs::path& folder) {
        CFolderNmChg dialog(name, folder, &host_, this);
        return host_.RunDialog(dialog) == QDialog::Accepted ? dialog.NewName() : QString();
    };
}

bool CFolderDwnDlg::AddFolder(const fs::path& folder) {
    const fs::path clean = folder.lexically_normal();
    const fs::path named = clean.has_filename() ? clean : clean.parent_path();
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        if (PathOfQs(list_->topLevelItem(i)->data(0, kPathRole).toString()) == named) {
            list_->setCurrentItem(list_->topLevelItem(i));
            return false;
        }
    }
    auto* item = new QTreeWidgetItem(list_, {QsOfPath(named.filename()), QsOfPath(named)});
    item->setData(0, kPathRole, QsOfPath(named));
    list_->setCurrentItem(item);
    return true;
}

fs::path CFolderDwnDlg::SelectedFolder() const {
    const QTreeWidgetItem* item = list_->currentItem();
    return item ? PathOfQs(item->data(0, kPathRole).toString()) : fs::path();
}

void CFolderDwnDlg::OnAdd() {
    const fs::path open = OpenBoxFolder(host_);
    std::error_code ec;
    const std::u16string root = host_.RootFolder();
    const fs::path start = !open.empty() && fs::is_directory(open, ec) ? open
                           : !root.empty()                             ? PathOfText(root)
                                                                       : ExecutableFolder() / "save" / "VMU";
    const QString chosen = browse_(QsOfPath(start));
    if (!chosen.isEmpty()) AddFolder(PathOfQs(chosen));
}

void CFolderDwnDlg::OnDownload() {
    const fs::path folder = SelectedFolder();
    if (folder.empty()) return;
    const std::u16string name = TextOfPath(folder.filename());
    if (!ConfirmDownload(name)) return;
    CFtpMng* ftp = host_.Ftp();
    if (ftp == nullptr || !host_.LoggedIn()) {
        ShowClosing(Closing::CommError);
        return;
    }
    // One run at a time in a box folder: another one at work there (a
    // download from cron, say) is said, and nothing is done.
    const BoxFolderLock lock(folder, true);
    if (lock.Busy()) {
        ShowPrompt(std::u16string(kFolderBusy), std::u16string(kFolderBusyCaption), Icon::Exclamation);
        return;
    }
    CurrentPorts().cancel->Clear();
    stopDialogBackupTimer();
    Closing closing = Closing::None;
    {
        PrgDownDlg progress(PrgDownDlg::Kind::Folders);
        host_.MainWindow()->setEnabled(false);
        progress.show();
        QCoreApplication::processEvents();
        closing = DownloadFolders(*ftp, folder, [&progress](int position) {
            progress.OnMessage(msg::kBarPosition, position);
            QCoreApplication::processEvents();
        });
        host_.MainWindow()->setEnabled(true);
    }
    ShowClosing(closing);
    if (closing == Closing::CommError) host_.EndSession();
    if (closing != Closing::FolderSuccess) return;
    // The new box folder is the open one from now on, and the lists show it:
    // those of other folders close.
    host_.OpenNewBoxFolder(folder);
    accept();
}

void CFolderDwnDlg::OnDelete() {
    const fs::path folder = SelectedFolder();
    if (folder.empty()) return;
    if (ShowPrompt(kDeleteQuestion, kDeleteCaption, Icon::Question, Buttons::YesNo) != Answer::Yes) return;
    std::error_code ec;
    // The lists of the folder show files that are about to go.
    host_.CloseListsOfFolder(folder);
    const bool ok = !fs::exists(folder, ec) || deleteFolderTree(folder);
    if (!ok) ShowPrompt(kDeleteFailed, std::u16string(dl::kErrorCaption), Icon::Exclamation);
    if (!fs::exists(folder, ec)) delete list_->currentItem();
}

void CFolderDwnDlg::OnRename() {
    QTreeWidgetItem* item = list_->currentItem();
    if (item == nullptr) return;
    const fs::path folder = PathOfQs(item->data(0, kPathRole).toString());
    // The rename dialog refuses a name and stays open; it closes with the folder renamed or untouched.
    const QString name = renamer_(item->text(0), folder);
    if (name.isEmpty()) return;
    const fs::path target = folder.parent_path() / PathOfQs(name);
    item->setText(0, name);
    item->setText(1, QsOfPath(target));
    item->setData(0, kPathRole, QsOfPath(target));
    // The open box folder keeps being the open one under its new name.
    host_.FollowBoxFolderRename(TextOfPath(folder.parent_path()), TextOfPath(folder.filename()), name.toStdU16String());
}

}  // namespace plova::ui
