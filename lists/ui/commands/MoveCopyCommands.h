// Button 1016 "移動・コピー": the box choice, then the selected messages of
// the active list window moved or copied into that box behind the progress
// window, with the overwrite question between.
#pragma once

#include <QPointer>
#include <filesystem>
#include <vector>

#include "lists/ui/commands/CPrgMsgCopyDlg.h"
#include "store/MessageTransfer.h"

namespace plova::ui {

class CListDispView;
class ListCommandHost;

// The windows of a run: the progress window over the disabled main window,
// the overwrite dialog, the list window's cancel request and the due backup.
class WindowTransferView final : public TransferWindow {
public:
    WindowTransferView(ListCommandHost& host, CListDispView* list) : host_(host), list_(list) {}
    ~WindowTransferView() override;
    void Open(transfer::Mode mode, int range) override;
    void SetBar(int position) override;
    OverwriteChoice AskOverwrite(const std::u16string& fileName) override;
    bool CancelRequested() override;
    bool BackupBreak() override;
    void Close() override;
    [[nodiscard]] CPrgMsgCopyDlg* Progress() const { return progress_.data(); }

private:
    ListCommandHost& host_;
    QPointer<CListDispView> list_;
    QPointer<CPrgMsgCopyDlg> progress_;
};

// The selected rows of `list` into `boxFolder`/`box` ("rusuroku/NNNN" or
// "naisen/NNNN"); the list shows the boxes again afterwards.
TransferOutcome MoveCopySelection(ListCommandHost& host, CListDispView& list, transfer::Mode mode,
                                  const std::filesystem::path& boxFolder, const std::filesystem::path& box);

// Registers the handler of button 1016 with the main window.
void InstallMoveCopyCommands(ListCommandHost& host);

}  // namespace plova::ui
