// "BOX名称編集": the names of the boxes of the open box folder, edited in
// place and written to each box's "inf.ini".
#pragma once

#include "folders/ui/BoxListsDlg.h"

namespace plova::ui {

class CBoxNameChgDlg final : public BoxListsDlg {
    Q_OBJECT
public:
    explicit CBoxNameChgDlg(FolderHost& host);
    void OnOK() override;
    // Names that could not be written (the dialog ended with OK all the same).
    [[nodiscard]] int Failures() const { return failures_; }

private:
    int failures_ = 0;
};

}  // namespace plova::ui
