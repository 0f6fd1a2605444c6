#include "app/ui/InfoEditCommands.h"

#include <QPointer>

#include "app/CommandTable.h"
#include "app/ui/CInfoEditDlg.h"
#include "app/ui/CInfoEditDlgS.h"
#include "app/ui/CMainFrame.h"
#include "lists/ListColumns.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"

namespace plova::ui {

void InstallInfoEditCommands(CMainFrame& frame) {
    frame.SetCommandHandler(cmd::kEditRecording, trait::kModalDialog | trait::kBoxFolder, [&frame] {
        frame.CloseSettingsMenu();
        QPointer<CListDispView> view = frame.Lists() ? frame.Lists()->ActiveView() : nullptr;
        if (!view) return;
        const std::vector<int> rows = view->SelectedRows();
        if (rows.empty()) return;
        const FILESTS_INFO& record = view->Data().RecordOfRow(rows.front());
        if (record.filePath.empty()) return;  // a response number with no message behind it
        const std::u16string shown = CellText(record, CellKind::FileName, view->Data().Source().root);
        int result;
        if (view->IsSystemResponseList()) {
            CInfoEditDlgS dialog(record.path(), shown, &frame, &frame);
            result = frame.RunDialog(dialog);
        } else {
            CInfoEditDlg dialog(record.path(), shown, &frame, &frame);
            result = frame.RunDialog(dialog);
        }
        if (result == QDialog::Accepted && view) view->Refresh(true, false, true);
    });
}

}  // namespace plova::ui
