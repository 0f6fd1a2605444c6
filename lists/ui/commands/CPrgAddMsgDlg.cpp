#include "lists/ui/commands/CPrgAddMsgDlg.h"

#include "platform/ui/DialogLayout.h"
#include "store/ResponseMessage.h"

namespace plova::ui {

namespace {
constexpr std::uint64_t kReadingShare = 3;  // the copy is a third of the work
}  // namespace

CPrgAddMsgDlg::CPrgAddMsgDlg(QWidget* parent)
    : TextProgressDlg(Qs(response::kImportingCaption), Qs(response::kReadingText), parent) {}

void CPrgAddMsgDlg::Reading(std::uint64_t fileSize) {
    SetText(Qs(response::kReadingText));
    SetRange(fileSize);
    SetPosition(fileSize / kReadingShare);
}

void CPrgAddMsgDlg::Converting() {
    SetPosition(Range());
    SetText(Qs(response::kConvertingText));
}

}  // namespace plova::ui
