#include "folders/ui/CBoxNameChgDlg.h"

#include "platform/Ports.h"
#include "platform/ui/PrgNoteDlg.h"

namespace plova::ui {

CBoxNameChgDlg::CBoxNameChgDlg(FolderHost& host)
    : BoxListsDlg(host,
                  {u"BOX名称編集", u"留守録BOX", u"内線BOX", u"  BOX名称  ", boxes::kNameEditChars, BoxText::Name}) {}

void CBoxNameChgDlg::OnOK() {
    const BoxLists rows = Rows();
    if (CheckBoxNames(rows) != BoxCheck::Ok) {
        ShowPrompt(std::u16string(boxes::kBadInput), std::u16string(boxes::kErrorCaption), Icon::Exclamation);
        return;
    }
    if (ShowPrompt(std::u16string(boxes::kRegisterQuestion), std::u16string(boxes::kRegisterCaption), Icon::Question,
                   Buttons::YesNo) != Answer::Yes) {
        reject();
        return;
    }
    stopDialogBackupTimer();
    CPrgBoxNameChgDlg progress(this);
    progress.SetRange(static_cast<int>(rows.Size()));
    progress.show();
    failures_ = WriteBoxNames(rows, [&progress](int done) { progress.SetPos(done); });
    progress.hide();
    accept();
}

}  // namespace plova::ui
