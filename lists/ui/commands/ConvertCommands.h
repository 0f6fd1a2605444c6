// Buttons 1013 ("変換") and 1014 ("再生") on the active list window, the
// conversion window they show, and the played WAV files deleted at exit.
#pragma once

#include <QPointer>
#include <filesystem>
#include <vector>

#include "lists/ConvertAndPlay.h"
#include "lists/ui/commands/CWavConvDlg.h"

namespace plova::ui {

class CListDispView;
class ListCommandHost;

// The commands' view of the windows; `origin` is the list window a play
// starts from, whose neighbouring rows the player's 前へ and 次へ play.
class WindowConversionHost final : public ConversionHost {
public:
    explicit WindowConversionHost(ListCommandHost& host, CListDispView* origin = nullptr)
        : host_(host), origin_(origin) {}
    ~WindowConversionHost() override;
    void EnableMainWindow(bool enabled) override;
    void ActivateMainWindow() override;
    void OpenConvertDialog(int total) override;
    void CloseConvertDialog() override;
    bool BackupBreaksIn() override;
    void QueueWavForDeletion(const std::filesystem::path& wav) override;
    InsidePlay PlayInside(const std::filesystem::path& wav, const FILESTS_INFO& record) override;

private:
    ListCommandHost& host_;
    QPointer<CListDispView> origin_;
    QPointer<CWavConvDlg> dialog_;
};

// Button 1013: after the confirmation, the selected rows of the active list.
void ConvertSelection(ListCommandHost& host);
// Button 1014: the current row of the active list; the list is shown again
// when its WAV file went to the player.
void PlaySelection(ListCommandHost& host);
// The player's 前へ (-1) and 次へ (+1): the neighbouring row of `view`,
// selected and played as button 1014 plays it. Nothing past either end, nor
// once the list window is closed.
void PlayNeighbour(ListCommandHost& host, CListDispView* view, int step);

// The played WAV files, behind the window "消去中".
void DeleteWavFilesAtExit(const std::vector<std::filesystem::path>& files);

// Registers the handlers of buttons 1013 and 1014 with the main window.
void InstallConvertCommands(ListCommandHost& host);

}  // namespace plova::ui
