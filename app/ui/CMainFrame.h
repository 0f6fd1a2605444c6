// The main window: a multiple-document frame whose client area holds the
// list windows, with the command bar at the top and a one-pane status bar.
// Every user operation enters through OnCommand(); the rules that decide
// what is enabled, what the displays and the status bar show, the login
// state and the exit sequence are the app/ logic, which this window feeds
// and displays.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/BackupHooks.h"
#include "app/BackupWatch.h"
#include "app/CPLOVADoc.h"
#include "app/CommandTable.h"
#include "app/ExitSequence.h"
#include "app/SessionControl.h"
#include "backup/BackupRun.h"
#include "folders/ui/FolderHost.h"
#include "platform/IniFile.h"

class QDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace plova {
class CFtpMng;
}
namespace plova::player {
class SoundSink;
}

namespace plova::ui {

class CommandBar;
class CPlayerWnd;
class ListWindows;
class CPrgAbackUpDlg;
class ListWindowStatus;

namespace frame {
constexpr char16_t kCaption[] = u"Kwシリーズ 音声ファイル管理";
}

class CMainFrame final : public QMainWindow,
                         public SessionHost,
                         public ExitHost,
                         public FolderHost,
                         public backup::BackupRunHost {
    Q_OBJECT
public:
    struct Options {
        std::filesystem::path settingsFile;
        // Makes the session with the main unit; by default the FTP client on
        // the port it finds itself.
        SessionFactory sessionFactory;
        BackupHooks backup = NoBackupYet();
        // The program's own backup (schedule, prompts, run) in place of
        // `backup`; the program sets it, tests mostly do not.
        bool builtInBackup = false;
    };

    // Creation: reads the settings once, restores the placement, builds the
    // bars and the displays, creates the session (not yet connected).
    explicit CMainFrame(Options options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --------------------------------------------------------- start-up
    // The box folder of the last run: forgotten when missing, else its list
    // windows reopened and stacked as they were.
    void ApplyStartup();
    // Arms the backup watch, offers an overdue backup, starts timer 2.
    void StartupBackup();
    [[nodiscard]] bool RestoreWindowsCondition() const { return restoreCondition_; }

    // ------------------------------------------- what other parts reach
    CPLOVADoc& SettingsDoc() { return doc_; }
    SettingsRecord& Settings() { return doc_.settings; }
    SessionControl& Session() { return *session_; }
    [[nodiscard]] QMdiArea* MdiArea() const { return mdi_; }
    [[nodiscard]] CommandBar* Bar() const { return bar_; }
    BackupFlags& Backup() { return flags_; }
    // The due-backup check that long operations make between their steps
    // (DueBreak), and the pending run after them.
    BackupWatch& BackupWatcher() { return *watch_; }

    // The number of list windows open: NUM of the settings record, the one
    // count there is (read from the file, it says how many to reopen).
    [[nodiscard]] int OpenListCount() const;
    void SetOpenListCount(int count);
    [[nodiscard]] bool MaximisedChildren() const override { return maximisedChildren_; }
    void SetMaximisedChildren(bool on) override { maximisedChildren_ = on; }
    void PublishListEnableFlags(const ListEnableFlags& flags) { listFlags_ = flags; }
    [[nodiscard]] const ListEnableFlags& ListFlags() const { return listFlags_; }

    void SetFolderDisplayText(const std::u16string& text);
    [[nodiscard]] std::u16string FolderDisplayText() const override;
    void SetBoxDisplayText(const std::u16string& text) override;
    [[nodiscard]] std::u16string BoxDisplayText() const;

    // The status bar from the active list window; `recount` counts the
    // messages of its box folder again.
    void RefreshStatusBar(bool recount) override;
    [[nodiscard]] QString StatusText() const;

    // Opens list window `listNumber` for the start-up restore; the open-list
    // count has been raised to that number when it is called.
    void SetListWindowOpener(std::function<QMdiSubWindow*(int listNumber)> opener);
    // The backup-time prompt (sets the backup flags) and the start-up overdue
    // prompt (true for "run now").
    void SetBackupPrompts(std::function<void()> backupTime, std::function<bool()> overdueAtStartup);

    // The active list window and its status; null without one.
    [[nodiscard]] QMdiSubWindow* ActiveListWindow() const;
    [[nodiscard]] ListWindowStatus* ActiveListStatus() const;
    // The list windows from the active one on, in stacking order.
    [[nodiscard]] std::vector<QMdiSubWindow*> ListWindowsFromActive() const;

    // ------------------------------------------------- commands and idle
    void OnCommand(int id);
    // One idle pass: the status bar text and the enabling of the buttons.
    void OnIdle();
    // One tick of timer 2.
    void OnBackupTimer();
    [[nodiscard]] QMenu* SettingsMenu() const;
    [[nodiscard]] QMenu* WindowMenu() const;

    // ------------------------------------------------------ test hooks
    // How modal dialogs are run; tests answer them in place of a person.
    using DialogRunner = std::function<int(QDialog&)>;
    void SetDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    // Timer 1's period when positive, in place of its 12000 ms.
    void SetIdleTimerIntervalForTesting(int milliseconds) { idleIntervalOverride_ = milliseconds; }
    QTimer& IdleTimer() { return idleTimer_; }
    QTimer& BackupTimer() { return backupTimer_; }

    // ------------------------------------------------------- CommandHost
    void SetCommandHandler(int id, unsigned traits, std::function<void()> run) override;
    // Runs a modal dialog the way this window runs its own.
    int RunDialog(QDialog& dialog) override;
    QWidget* MainWindow() override { return this; }

    // -------------------------------------------------------- SessionHost
    void StartIdleTimer(int milliseconds) override;
    void StopIdleTimer() override;
    ConnectionLostChoice ShowConnectionLost() override;
    void BeginExit() override;
    void Redraw() override;
    [[nodiscard]] bool BackupRunning() const override { return flags_.running; }
    void StopBackupTimer() override;
    void RestartBackupTimerIfArmed() override;
    void CloseSettingsMenu() override;

    // ----------------------------------------------------------- ExitHost
    void StartBackupTimer() override;
    EndCheckChoice ShowEndCheck(const EndCheckButtons& buttons) override;
    PlacementSave CollectPlacement() override;
    void DeleteQueuedWavFiles() override;

    // -------------------------------------------------- DialogBackupWatch
    [[nodiscard]] bool BackupWatchArmed() const override { return flags_.watch; }
    bool OnDialogBackupTick() override;

    // ------------------------------------------------------- DownloadHost
    // The FTP client of the session (also the backup run's).
    CFtpMng* Ftp() override;
    [[nodiscard]] bool LoggedIn() const override { return doc_.settings.loggedIn == 1; }
    void EndSession() override;
    [[nodiscard]] std::u16string OpenFolderName() const override { return doc_.settings.folderName; }
    [[nodiscard]] DownloadOptions DownloadSettings() const override;
    void RefreshLists() override;
    void OpenNewBoxFolder(const std::filesystem::path& boxFolder) override;
    void CloseListsOfFolder(const std::filesystem::path& boxFolder) override;
    void FollowBoxFolderRename(std::u16string_view root, std::u16string_view oldName,
                               std::u16string_view newName) override;
    // Box folder `name` under `root` is to be the open one: the list windows
    // of every other folder close (those of this folder stay).
    void CloseListsOfOtherFolders(std::u16string_view root, std::u16string_view name);

    // ---------------------------------------------------- ListCommandHost
    [[nodiscard]] ListWindows* Lists() const override { return lists_; }
    void ReloadBoxLists() override;
    void TakeOpenFolderFromDisplay() override;
    [[nodiscard]] PlaySettings PlaybackSettings() const override;
    void QueueWavForDeletion(const std::filesystem::path& wav) override { wavToDelete_.push_back(wav); }
    CPlayerWnd* Player() override;
    [[nodiscard]] PlayerPreferences RememberedPlayerPreferences() const override;
    void RememberPlayerPreferences(PlayerPreferences preferences) override;
    // The player's sound goes to `sink` instead of the sound device (tests).
    void UseSoundSink(player::SoundSink& sink) { soundOverride_ = &sink; }
    [[nodiscard]] std::u16string AudioFolder() const override { return doc_.settings.sysAddFolder; }
    void RememberAudioFolder(const std::filesystem::path& chosenFile) override;
    [[nodiscard]] store::ImportLevels ImportLevels() const override;
    ColumnNames& ShownColumns() override { return doc_.settings.columns; }
    ColumnNames& RemovedColumns() override { return doc_.settings.deletedColumns; }
    [[nodiscard]] const std::filesystem::path& SettingsFile() const override { return settingsFile_; }
    SelectCriteria& SelectDisplayCriteria(bool responseList) override;
    [[nodiscard]] std::u16string OpenFolderText() const override;

    // --------------------------------------------------------- FolderHost
    void ChangeOpenFolder(const std::u16string& name) override;
    void BoxFoldersRenamed(std::u16string_view boxFolderName, const std::vector<BoxRename>& renamed) override;
    [[nodiscard]] bool StartupFolderSpecified() const override { return doc_.settings.init != 0; }
    [[nodiscard]] std::u16string SpecifiedStartupFolder() const override;
    [[nodiscard]] bool CanSpecifyStartupFolder() const override;
    bool ApplyStartupFolderChoice(bool specified, std::u16string_view text) override;
    [[nodiscard]] CsvPlace RememberedCsvPlace(CsvUse use) const override;
    void RememberCsvPlace(CsvUse use, const CsvPlace& place) override;

    // ----------------------------------------------------------- ListHost
    ListSlotTable Slots() override;
    [[nodiscard]] std::u16string RootFolder() const override { return doc_.settings.folder; }
    [[nodiscard]] std::vector<std::u16string> BoxColumns() const override;
    [[nodiscard]] QMdiArea* ListArea() const override { return mdi_; }
    QWidget* DialogParent() override { return this; }
    int RunListDialog(QDialog& dialog) override;
    void PublishListFlags(const CommandFlags& flags) override;
    void AllListsClosed() override;
    void SetListBusy(bool busy) override;
    bool BackupAbandonsListWork() override;
    void RunListCommand(int id) override { OnCommand(id); }
    void ShowRowMenu(const QPoint& globalPos) override;
    bool RunRowCommand(int id) override;
    // How the rows' menu is shown: QMenu::exec; tests look at it and choose.
    using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& at)>;
    void SetRowMenuRunner(MenuRunner runner) { runRowMenu_ = std::move(runner); }
    // Button 1004: the voice data of the active list's selected rows, then the list again.
    void DownloadVoiceOfRows();

    // ----------------------------------------------------- BackupRunHost
    ftp::LoginResult Login(const std::u16string& address, const std::u16string& user,
                           const std::u16string& password) override;
    void Logout() override;
    void EnableMainWindow(bool enabled) override;
    void OpenProgress() override;
    void CloseProgress() override;
    void ResetIdleCount() override;
    [[nodiscard]] CPrgAbackUpDlg* BackupProgress() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Handler {
        unsigned traits = trait::kPlain;
        std::function<void()> run;
    };

    [[nodiscard]] CommandContext context(bool forMenu) const;
    void toggleSettingsMenu();
    void toggleWindowMenu();
    void closeWindowMenu();
    QMenu* newPopup(const QString& title);
    // An item that runs command `id` once the menu has gone.
    void addMenuCommand(QMenu* menu, int id, const QString& caption, const ItemState& state);
    void showPopup(QMenu* menu, int buttonId);
    void runLogin();
    void runVersion();
    void runBackupSettings();
    void showOperationLog();
    void showBackupTimePrompt();
    bool showStartupPrompt();
    void runHandler(const Handler& handler);
    // The box folder the commands work on: the one the folder display names.
    [[nodiscard]] std::filesystem::path openBoxFolderOfCommands() const;
    void runPendingBackupIfSet();
    void arrange(int id);
    void activateList(int listNumber);
    void onSubWindowActivated(QMdiSubWindow* window);
    void updateMinimumSize();

    std::filesystem::path settingsFile_;
    CPLOVADoc doc_;
    IniDocument startupIni_;  // the file as read at creation, for the window sections
    BackupHooks backup_;
    BackupFlags flags_;
    RecordBackupSettings backupSettings_{flags_, doc_.settings};
    std::unique_ptr<BackupWatch> watch_;
    QPointer<CPrgAbackUpDlg> progress_;
    std::unique_ptr<SessionControl> session_;
    bool restoreCondition_ = true;

    CommandBar* bar_ = nullptr;
    QMdiArea* mdi_ = nullptr;
    QLabel* statusPane_ = nullptr;
    QLabel* loginPane_ = nullptr;
    QLabel* boxFolderPane_ = nullptr;
    QPointer<QMenu> settingsMenu_;
    QPointer<QMenu> windowMenu_;
    QTimer idleTimer_;    // timer 1
    QTimer backupTimer_;  // timer 2
    int idleIntervalOverride_ = 0;

    ListWindows* lists_ = nullptr;
    bool maximisedChildren_ = false;
    QElapsedTimer listBackupCheck_;  // how long since a list build last asked for the backup
    ListEnableFlags listFlags_;
    std::int64_t folderTotal_ = 0;
    std::vector<std::filesystem::path> wavToDelete_;
    std::unique_ptr<player::SoundSink> sound_;
    player::SoundSink* soundOverride_ = nullptr;
    QPointer<CPlayerWnd> player_;
    std::map<int, Handler> handlers_;
    std::function<QMdiSubWindow*(int)> openListWindow_;
    std::function<void()> backupTimePrompt_;
    std::function<bool()> overduePrompt_;
    DialogRunner runDialog_;
    MenuRunner runRowMenu_;
    bool exitDone_ = false;
};

}  // namespace plova::ui
