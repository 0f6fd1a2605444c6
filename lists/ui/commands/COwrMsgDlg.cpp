#include "lists/ui/commands/COwrMsgDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"

namespace plova::ui {

COwrMsgDlg::COwrMsgDlg(const std::u16string& fileName, QWidget* parent)
    : QDialog(parent), text_(new QLabel(Qs(transfer::OverwriteText(fileName)), this)) {
    setObjectName(QStringLiteral("COwrMsgDlg"));
    setWindowTitle(Qs(overwrite::kCaption));
    text_->setObjectName(QStringLiteral("id%1").arg(overwrite::kText));
    auto button = [this](int id, const char16_t* caption, OverwriteChoice choice) {
        auto* b = new QPushButton(Qs(caption), this);
        b->setObjectName(QStringLiteral("id%1").arg(id));
        connect(b, &QPushButton::clicked, this, [this, choice] { choose(choice); });
        return b;
    };
    QPushButton* yes = button(overwrite::kYes, u"はい(&Y)", OverwriteChoice::Yes);
    QPushButton* all = button(overwrite::kAll, u"全て上書き(&A)", OverwriteChoice::All);
    QPushButton* no = button(overwrite::kNo, u"いいえ(&N)", OverwriteChoice::No);
    QPushButton* cancel = button(overwrite::kCancel, u"キャンセル", OverwriteChoice::Cancel);
    yes->setDefault(true);
    auto* body = new QVBoxLayout;
    body->addWidget(text_);
    body->addWidget(new QLabel(Qs(u"上書きしますか？"), this));
    LayOutMessageDialog(*this, QStyle::SP_MessageBoxQuestion, body, ButtonRow({yes, all, no, cancel}));
}

QPushButton* COwrMsgDlg::Button(int id) const {
    return findChild<QPushButton*>(QStringLiteral("id%1").arg(id));
}

void COwrMsgDlg::choose(OverwriteChoice choice) {
    choice_ = choice;
    done(choice == OverwriteChoice::Cancel ? Rejected : Accepted);
}

void COwrMsgDlg::reject() {
    // Escape and the close box are キャンセル.
    choice_ = OverwriteChoice::Cancel;
    QDialog::reject();
}

}  // namespace plova::ui
