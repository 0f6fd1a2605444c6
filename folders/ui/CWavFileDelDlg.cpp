#include "folders/ui/CWavFileDelDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "download/ui/DownloadCommands.h"
#include "folders/ui/FolderHost.h"
#include "lists/ui/CCheckListCtrl.h"
#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/PathText.h"
#include "platform/ui/PrgNoteDlg.h"

namespace plova::ui {
namespace {
constexpr int kListHeight = 200;
constexpr char16_t kUnmarked[] = u"0";

std::vector<std::u16string> marked(const CCheckListCtrl& list) {
    std::vector<std::u16string> out;
    for (int r = 0; r < list.rowCount(); ++r)
        if (list.IsTicked(r)) out.push_back(list.BoxName(r).toStdU16String());
    return out;
}
}  // namespace

CWavFileDelDlg::CWavFileDelDlg(FolderHost& host) : BackupTimedDlg(&host, host.MainWindow()) {
    setWindowTitle(Qs(wavdel::kCaption));
    boxFolder_ = OpenBoxFolder(host);
    const AudioBoxes found = boxFolder_.empty() ? AudioBoxes{} : FindAudioBoxes(boxFolder_);
    if (found.Count() == 0) {
        ShowPrompt(std::u16string(wavdel::kNoAudio), std::u16string(wavdel::kErrorCaption), Icon::Exclamation);
        return;
    }
    opened_ = true;

    folder_ = new QLineEdit(QsOfPath(boxFolder_), this);
    folder_->setReadOnly(true);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("ダウンロード先フォルダ"), this), 0, 0, 1, 2);
    grid->addWidget(folder_, 1, 0, 1, 2);
    const std::vector<std::u16string>* boxes[2] = {&found.answering, &found.extension};
    const char16_t* titles[2] = {u"留守録BOX", u"内線BOX"};
    for (int k = 0; k < 2; ++k) {
        auto* group = new QGroupBox(Qs(titles[k]), this);
        auto* inner = new QVBoxLayout(group);
        auto* list = new CCheckListCtrl(group);
        list->setObjectName(k == 0 ? QStringLiteral("answeringBoxes") : QStringLiteral("extensionBoxes"));
        for (const std::u16string& number : *boxes[k]) list->AddBox(Qs(number), Qs(kUnmarked));
        list->setMinimumHeight(kListHeight);
        inner->addWidget(list);
        auto* row = new QHBoxLayout;
        all_[k] = new QPushButton(QStringLiteral("全選択"), group);
        none_[k] = new QPushButton(QStringLiteral("全未選択"), group);
        connect(all_[k], &QPushButton::clicked, this, [list] { list->SetAll(true); });
        connect(none_[k], &QPushButton::clicked, this, [list] { list->SetAll(false); });
        row->addWidget(all_[k]);
        row->addWidget(none_[k]);
        inner->addLayout(row);
        grid->addWidget(group, 2, k);
        lists_[k] = list;
    }
    boxRadio_ = new QRadioButton(QStringLiteral("BOX選択"), this);
    responseRadio_ = new QRadioButton(QStringLiteral("システム応答メッセージ"), this);
    boxRadio_->setChecked(true);
    connect(boxRadio_, &QRadioButton::toggled, this, &CWavFileDelDlg::onMode);
    auto* radios = new QHBoxLayout;
    radios->addWidget(boxRadio_);
    radios->addWidget(responseRadio_);
    radios->addStretch(1);
    grid->addLayout(radios, 3, 0, 1, 2);

    auto* erase = new QPushButton(QStringLiteral("消去"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    erase->setDefault(true);
    connect(erase, &QPushButton::clicked, this, &CWavFileDelDlg::OnDelete);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LayOutDialog(*this, grid, ButtonRow({erase, cancel}));
}

void CWavFileDelDlg::onMode() {
    const bool boxes = boxRadio_->isChecked();
    for (int k = 0; k < 2; ++k) {
        lists_[k]->setEnabled(boxes);
        all_[k]->setEnabled(boxes);
        none_[k]->setEnabled(boxes);
    }
}

void CWavFileDelDlg::OnDelete() {
    stopDialogBackupTimer();
    if (ShowPrompt(std::u16string(wavdel::kQuestion), std::u16string(wavdel::kQuestionCaption), Icon::Question,
                   Buttons::YesNo) != Answer::Yes) {
        startDialogBackupTimer();
        return;
    }
    WavDeletion request;
    request.responses = responseRadio_->isChecked();
    request.answering = marked(*lists_[0]);
    request.extension = marked(*lists_[1]);
    WavDeletionResult result;
    {
        CPrgWavDelDlg progress(this);
        progress.SetRange(wavdel::kProgressRange);
        progress.show();
        result = DeleteWavFiles(boxFolder_, request, [&progress](int position) { progress.SetPos(position); });
    }
    if (result == WavDeletionResult::NoBoxChosen) {
        ShowPrompt(std::u16string(wavdel::kNoBoxChosen), std::u16string(wavdel::kErrorCaption), Icon::Exclamation);
        reject();
        return;
    }
    ShowPrompt(std::u16string(wavdel::kDone), std::u16string(wavdel::kDoneCaption), Icon::Information);
    accept();
}

}  // namespace plova::ui
