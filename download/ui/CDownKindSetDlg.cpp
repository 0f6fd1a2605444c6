#include "download/ui/CDownKindSetDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "download/ui/DownloadCommands.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kLoginCheckMillis = 1000;
}

CDownKindSetDlg::CDownKindSetDlg(DownloadHost& host) : BackupTimedDlg(&host, host.MainWindow()), host_(host) {
    setWindowTitle(QStringLiteral("ダウンロード種別"));
    full_ = new QPushButton(QStringLiteral("録音情報と音声ファイル"), this);
    info_ = new QPushButton(QStringLiteral("録音情報のみ"), this);
    cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    full_->setDefault(true);
    connect(full_, &QPushButton::clicked, this, [this] { OnKind(dl::kKindFull); });
    connect(info_, &QPushButton::clicked, this, [this] { OnKind(dl::kKindInfo); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* body = new QVBoxLayout;
    body->addWidget(new QLabel(QStringLiteral("主装置の音声メッセージをダウンロードします。"), this));
    body->addWidget(new QLabel(QStringLiteral("ダウンロード種別を選択してください。"), this));
    LayOutDialog(*this, body, ButtonRow({full_, info_, cancel_}, RowAlign::Centre));

    loginCheck_.setObjectName(QStringLiteral("loginCheck"));
    connect(&loginCheck_, &QTimer::timeout, this, &CDownKindSetDlg::OnLoginCheck);
    loginCheck_.start(kLoginCheckMillis);
    OnLoginCheck();
}

void CDownKindSetDlg::OnLoginCheck() {
    const bool loggedIn = host_.LoggedIn();
    full_->setEnabled(loggedIn);
    info_->setEnabled(loggedIn);
}

void CDownKindSetDlg::OnKind(int kind) {
    const std::filesystem::path boxFolder = OpenBoxFolder(host_);
    if (boxFolder.empty() || !ConfirmDownload(host_.OpenFolderName())) return;
    stopDialogBackupTimer();
    loginCheck_.stop();
    hide();
    BatchRequest request;
    request.kind = kind;
    request.boxes = BoxTargets(boxFolder);
    request.responses = true;
    request.outouFolder = boxFolder / "outou";
    // The run shows its own closing message; the dialog only closes.
    (void)RunDownload(host_, std::move(request));
    accept();
}

}  // namespace plova::ui
