// "ボックスフォルダ名称変更": new folder names for the boxes of the open box
// folder, edited in place; the edited boxes' folders are renamed.
#pragma once

#include <filesystem>
#include <vector>

#include "app/ui/CBoxListsDlg.h"

namespace plova::ui {

class CBoxFldNameChgDlg final : public CBoxListsDlg {
    Q_OBJECT
public:
    explicit CBoxFldNameChgDlg(CMainFrame& frame);
    void OnOK() override;
    // The box folders that kept their old name.
    const std::vector<std::filesystem::path>& NotRenamed() const { return notRenamed_; }

private:
    std::vector<std::filesystem::path> notRenamed_;
};

}  // namespace plova::ui
