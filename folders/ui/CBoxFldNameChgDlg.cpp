#include "folders/ui/CBoxFldNameChgDlg.h"

#include "platform/Ports.h"

namespace plova::ui {

CBoxFldNameChgDlg::CBoxFldNameChgDlg(FolderHost& host)
    : BoxListsDlg(host, {u"ボックスフォルダ名称変更", u"留守録BOX", u"内線BOX", u"   BOXフォルダ名   ",
                         boxes::kFolderNameEditChars, BoxText::FolderName}) {}

void CBoxFldNameChgDlg::OnOK() {
    const BoxLists rows = Rows();
    switch (CheckBoxFolderRenames(rows)) {
    case BoxCheck::BadInput:
        ShowPrompt(std::u16string(boxes::kBadInput), std::u16string(boxes::kErrorCaption), Icon::Exclamation);
        return;
    case BoxCheck::Duplicate:
        ShowPrompt(std::u16string(boxes::kDuplicate), std::u16string(boxes::kErrorCaption), Icon::Exclamation);
        return;
    case BoxCheck::Ok: break;
    }
    if (ShowPrompt(std::u16string(boxes::kRegisterQuestion), std::u16string(boxes::kRegisterCaption), Icon::Question,
                   Buttons::YesNo) != Answer::Yes) {
        reject();
        return;
    }
    done_ = RenameBoxFolders(rows);
    accept();
}

}  // namespace plova::ui
