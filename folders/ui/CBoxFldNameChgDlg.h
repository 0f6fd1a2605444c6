// "ボックスフォルダ名称変更": new folder names for the boxes of the open box
// folder, edited in place; the edited boxes' folders are renamed.
#pragma once

#include "folders/BoxFolders.h"
#include "folders/ui/BoxListsDlg.h"

namespace plova::ui {

class CBoxFldNameChgDlg final : public BoxListsDlg {
    Q_OBJECT
public:
    explicit CBoxFldNameChgDlg(FolderHost& host);
    void OnOK() override;
    // What the renames did, once the dialog ended with OK.
    [[nodiscard]] const BoxFolderRenames& Done() const { return done_; }

private:
    BoxFolderRenames done_;
};

}  // namespace plova::ui
