#include "lists/ui/commands/ConvertCommands.h"

#include <QCoreApplication>
#include <QThread>

#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/ListCommandHost.h"
#include "platform/CommandIds.h"
#include "platform/Ports.h"
#include "platform/ui/PrgNoteDlg.h"
#if PLOVA_BUILT_IN_PLAYER
#include "player/ui/CPlayerWnd.h"
#endif

namespace plova::ui {
namespace {
// After the last file the window stays a moment, so it is seen at all.
constexpr int kClosingPumps = 10;
constexpr int kClosingPumpMs = 10;

CListDispView* activeView(ListCommandHost& host) {
    return host.Lists() ? host.Lists()->ActiveView() : nullptr;
}
}  // namespace

WindowConversionHost::~WindowConversionHost() {
    CloseConvertDialog();
}

void WindowConversionHost::EnableMainWindow(bool enabled) {
    host_.MainWindow()->setEnabled(enabled);
}

void WindowConversionHost::ActivateMainWindow() {
    host_.MainWindow()->raise();
    host_.MainWindow()->activateWindow();
}

void WindowConversionHost::OpenConvertDialog(int total) {
    CloseConvertDialog();
    // A window of its own, so that it stays live while the main window is disabled.
    dialog_ = new CWavConvDlg(total);
    dialog_->show();
    QCoreApplication::processEvents();
}

void WindowConversionHost::CloseConvertDialog() {
    if (dialog_) {
        dialog_->hide();
        delete dialog_.data();
    }
}

bool WindowConversionHost::BackupBreaksIn() {
    return host_.BackupAbandonsListWork();
}

void WindowConversionHost::QueueWavForDeletion(const std::filesystem::path& wav) {
    host_.QueueWavForDeletion(wav);
}

ConversionHost::InsidePlay WindowConversionHost::PlayInside(const std::filesystem::path& wav,
                                                            const FILESTS_INFO& record) {
#if PLOVA_BUILT_IN_PLAYER
    CPlayerWnd* window = host_.Player();
    if (window == nullptr) return InsidePlay::Unreadable;  // the desktop's player, then
    CPlayerWnd& player = *window;
    ListCommandHost* host = &host_;
    player.onPreferences = [host](int speed, int volume) { host->RememberPlayerPreferences({speed, volume}); };
    player.onNeighbour = [host, view = origin_](int step) { PlayNeighbour(*host, view.data(), step); };
    auto joined = [](const std::u16string& a, const std::u16string& b) {
        return a.empty() || b.empty() ? a + b : a + u"  " + b;
    };
    const PlayerTexts texts{joined(record.boxNumber, record.boxName), joined(record.partyNumber, record.partyName),
                            record.date, record.title};
    const ListCommandHost::PlayerPreferences remembered = host_.RememberedPlayerPreferences();
    switch (player.Play(wav, texts, remembered.speed, remembered.volume)) {
    case player::Opened::Playing: return InsidePlay::Started;
    case player::Opened::NoDevice: return InsidePlay::NoDevice;
    case player::Opened::Unreadable: break;
    }
#else
    (void)wav;
    (void)record;
#endif
    return InsidePlay::Unreadable;
}

void ConvertSelection(ListCommandHost& host) {
    CListDispView* view = activeView(host);
    // With nothing selected there is nothing to convert, nor to ask about.
    if (view == nullptr || view->SelectedRecords().empty()) return;
    if (ShowPrompt(std::u16string(convert::kQuestion), std::u16string(convert::kQuestionCaption), Icon::Question,
                   Buttons::YesNo) != Answer::Yes)
        return;
    WindowConversionHost windows(host);
    view->ConvertSelected(windows, host.PlaybackSettings().levelSetting);
}

void PlaySelection(ListCommandHost& host) {
    CListDispView* view = activeView(host);
    if (view == nullptr) return;
    WindowConversionHost windows(host, view);
    const PlaySettings settings = host.PlaybackSettings();
    // The played mark shows in the list, as the file holds it.
    if (view->PlayCurrent(windows, settings) != PlayResult::NotPlayed) view->Refresh(true, false, true);
}

void PlayNeighbour(ListCommandHost& host, CListDispView* view, int step) {
    if (view == nullptr) return;
    const std::vector<int> selected = view->SelectedRows();
    const std::optional<int> row = NeighbourRow(selected.empty() ? -1 : selected.front(), step, view->RowCount());
    if (!row) return;
    view->SelectRows({*row});
    WindowConversionHost windows(host, view);
    if (view->PlayCurrent(windows, host.PlaybackSettings()) != PlayResult::NotPlayed) view->Refresh(true, false, true);
}

void DeleteWavFilesAtExit(const std::vector<std::filesystem::path>& files) {
    if (files.empty()) return;
    CPrgWavDelDlg progress(nullptr);
    progress.SetRange(static_cast<int>(files.size()));
    progress.show();
    QCoreApplication::processEvents();
    DeleteListedWavFiles(files, [&progress](int done) {
        progress.SetPos(done);
        QCoreApplication::processEvents();
    });
    for (int i = 0; i < kClosingPumps; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(kClosingPumpMs);
    }
    progress.hide();
}

void InstallConvertCommands(ListCommandHost& host) {
    // A backup that fell due between two conversions runs after the command.
    host.SetCommandHandler(cmd::kConvert, trait::kModalDialog | trait::kBoxFolder, [&host] { ConvertSelection(host); });
    host.SetCommandHandler(cmd::kPlay, trait::kPlain, [&host] { PlaySelection(host); });
}

}  // namespace plova::ui
