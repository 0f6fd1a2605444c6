#include "backup/ui/CABakUpChk2Dlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "backup/ui/CABakUpChk1Dlg.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {

CABakUpChk2Dlg::CABakUpChk2Dlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Qs(bakupchk::kCaption));
    auto* text = PromptLines(this, {bakupchk::kOverdue, bakupchk::kRunNowQuery});
    auto* buttons = YesNoButtons(this, yes_, no_);
    connect(yes_, &QPushButton::clicked, this, &QDialog::accept);
    connect(no_, &QPushButton::clicked, this, &QDialog::reject);
    LayOutMessageDialog(*this, QStyle::SP_MessageBoxQuestion, text, buttons);
}

}  // namespace plova::ui
