#include "folders/ui/CsvSetDlg.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "folders/ui/FolderHost.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/PathText.h"

namespace plova::ui {
namespace fs = std::filesystem;

CsvSetDlg::CsvSetDlg(FolderHost& host, const Texts& texts, const CsvPlace& start)
    : BackupTimedDlg(&host, host.MainWindow()), host_(host), texts_(texts) {
    setWindowTitle(Qs(texts_.caption));
    text_ = new QLabel(Qs(texts_.text), this);
    browse_ = new QPushButton(QStringLiteral("設定"), this);
    folder_ = new QLineEdit(Qs(FolderText(start.folder)), this);
    file_ = new QLineEdit(Qs(start.file), this);
    folder_->setMinimumWidth(320);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->hide();
    const OkCancel buttons = MakeOkCancel(*this, [this] { OnOK(); });
    ok_ = buttons.ok;
    cancel_ = buttons.cancel;

    auto* group = new QGroupBox(Qs(texts_.group), this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(browse_, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("フォルダ"), group), 0, 1);
    grid->addWidget(folder_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("ファイル"), group), 1, 1);
    grid->addWidget(file_, 1, 2);
    auto* body = new QVBoxLayout;
    body->addWidget(text_);
    body->addWidget(group);
    body->addWidget(bar_);
    LayOutDialog(*this, body, ButtonRow({ok_, cancel_}));

    connect(browse_, &QPushButton::clicked, this, &CsvSetDlg::OnBrowse);
    connect(folder_, &QLineEdit::textChanged, this, &CsvSetDlg::updateOk);
    connect(file_, &QLineEdit::textChanged, this, &CsvSetDlg::updateOk);
    updateOk();

    choose_ = [this](const QString& from) {
        QFileDialog chooser(this, Qs(texts_.chooserTitle), from, Qs(csv::kFileFilter));
        chooser.setDefaultSuffix(Qs(csv::kDefaultSuffix));
        if (texts_.use == CsvUse::Export) {
            chooser.setAcceptMode(QFileDialog::AcceptSave);
        } else {
            chooser.setAcceptMode(QFileDialog::AcceptOpen);
            chooser.setFileMode(QFileDialog::ExistingFile);
        }
        FitFileDialog(chooser);
        return chooser.exec() == QDialog::Accepted ? ChosenPath(chooser) : QString();
    };
}

std::u16string CsvSetDlg::folderTextNow() const {
    return folder_->text().toStdU16String();
}

std::u16string CsvSetDlg::fileTextNow() const {
    return file_->text().toStdU16String();
}

fs::path CsvSetDlg::chosenPath() const {
    return PathOfText(folderTextNow()) / PathOfText(fileTextNow());
}

void CsvSetDlg::updateOk() {
    ok_->setEnabled(!working_ && !folder_->text().isEmpty() && !file_->text().isEmpty());
}

void CsvSetDlg::OnBrowse() {
    for (;;) {
        const QString chosen = choose_(QsOfPath(chosenPath()));
        if (chosen.isEmpty()) return;
        const fs::path path = PathOfQs(chosen);
        if (!CsvFileUsable(path, texts_.use)) {
            // The chooser opens again for another choice.
            ShowPrompt(std::u16string(csv::kOpenError), std::u16string(csv::kOpenErrorCaption), Icon::Exclamation);
            continue;
        }
        folder_->setText(Qs(FolderText(TextOfPath(path.parent_path()))));
        file_->setText(QsOfPath(path.filename()));
        return;
    }
}

void CsvSetDlg::setWorking(bool working, int range) {
    working_ = working;
    setWindowTitle(Qs(working ? texts_.workingCaption : texts_.caption));
    text_->setText(Qs(working ? texts_.workingText : texts_.text));
    browse_->setEnabled(!working);
    folder_->setReadOnly(working);
    file_->setReadOnly(working);
    if (working) {
        // A backup falling due does not break into the work; it is asked for again afterwards.
        stopDialogBackupTimer();
        bar_->setRange(0, std::max(range, 1));
        bar_->setValue(0);
        bar_->show();
    } else {
        bar_->hide();
        startDialogBackupTimer();
    }
    updateOk();
}

void CsvSetDlg::reject() {
    if (working_) {
        CurrentPorts().cancel->Set();
        return;
    }
    BackupTimedDlg::reject();
}

}  // namespace plova::ui
