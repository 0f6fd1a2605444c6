#include "lists/ui/commands/CPrgULMsgDlg.h"

namespace plova::ui {

CPrgULMsgDlg::CPrgULMsgDlg(QWidget* parent)
    : TextProgressDlg(QString::fromUtf16(uploadwindow::kCaption), QString::fromUtf16(uploadwindow::kText), parent) {}

}  // namespace plova::ui
