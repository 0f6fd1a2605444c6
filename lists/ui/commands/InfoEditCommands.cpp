#include "lists/ui/commands/InfoEditCommands.h"

#include <QPointer>

#include "lists/ListColumns.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/CInfoEditDlg.h"
#include "lists/ui/commands/CInfoEditDlgS.h"
#include "lists/ui/commands/ListCommandHost.h"
#include "platform/CommandIds.h"

namespace plova::ui {

void InstallInfoEditCommands(ListCommandHost& host) {
    host.SetCommandHandler(cmd::kEditRecording, trait::kModalDialog | trait::kBoxFolder, [&host] {
        host.CloseSettingsMenu();
        QPointer<CListDispView> view = host.Lists() ? host.Lists()->ActiveView() : nullptr;
        if (!view) return;
        const std::vector<int> rows = view->SelectedRows();
        if (rows.empty()) return;
        const FILESTS_INFO& record = view->Data().RecordOfRow(rows.front());
        if (record.filePath.empty()) return;  // a response number with no message behind it
        const std::u16string shown = CellText(record, CellKind::FileName, view->Data().Source().root);
        int result;
        if (view->IsSystemResponseList()) {
            CInfoEditDlgS dialog(record.Path(), shown, &host, host.MainWindow());
            result = host.RunDialog(dialog);
        } else {
            CInfoEditDlg dialog(record.Path(), shown, &host, host.MainWindow());
            result = host.RunDialog(dialog);
        }
        if (result == QDialog::Accepted && view) view->Refresh(true, false, true);
    });
}

}  // namespace plova::ui
