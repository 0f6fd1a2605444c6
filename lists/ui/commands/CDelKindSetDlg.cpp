#include "lists/ui/commands/CDelKindSetDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "lists/MessageDeletion.h"
#include "lists/ui/commands/ListCommandHost.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kLoginCheckMillis = 1000;
}

CDelKindSetDlg::CDelKindSetDlg(ListCommandHost& host) : BackupTimedDlg(&host, host.MainWindow()), host_(host) {
    setWindowTitle(Qs(del::kDialogCaption));
    mainUnit_ = new QPushButton(QStringLiteral("主装置のみ"), this);
    both_ = new QPushButton(QStringLiteral("主装置とＰＣ"), this);
    pc_ = new QPushButton(QStringLiteral("ＰＣのみ"), this);
    cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    for (QPushButton* b : {mainUnit_, both_, pc_}) b->setAutoDefault(false);
    cancel_->setDefault(true);
    connect(mainUnit_, &QPushButton::clicked, this, [this] { OnKind(del::kKindMainUnit); });
    connect(both_, &QPushButton::clicked, this, [this] { OnKind(del::kKindBoth); });
    connect(pc_, &QPushButton::clicked, this, [this] { OnKind(del::kKindPc); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* body = new QVBoxLayout;
    body->addWidget(new QLabel(Qs(del::kDialogText), this));
    body->addWidget(new QLabel(Qs(del::kDialogKindText), this));
    LayOutDialog(*this, body, ButtonRow({mainUnit_, both_, pc_, cancel_}, RowAlign::Centre));

    loginCheck_.setObjectName(QStringLiteral("loginCheck"));
    connect(&loginCheck_, &QTimer::timeout, this, &CDelKindSetDlg::OnLoginCheck);
    loginCheck_.start(kLoginCheckMillis);
    OnLoginCheck();
}

void CDelKindSetDlg::OnLoginCheck() {
    const bool loggedIn = host_.LoggedIn();
    mainUnit_->setEnabled(loggedIn);
    both_->setEnabled(loggedIn);
}

void CDelKindSetDlg::OnKind(int kind) {
    // While the dialog handles its button a due backup does not close it:
    // the question would otherwise be answered for a dialog already gone.
    stopDialogBackupTimer();
    if (ShowPrompt(std::u16string(del::kConfirmText), std::u16string(del::kConfirmCaption), Icon::Question,
                   Buttons::YesNo) != Answer::Yes) {
        startDialogBackupTimer();
        return;
    }
    loginCheck_.stop();
    kind_ = kind;
    accept();
}

}  // namespace plova::ui
