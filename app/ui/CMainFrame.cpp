#include "app/ui/CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>
#include <iostream>
#include <system_error>

#include "app/FrameTexts.h"
#include "app/FtpMainUnitSession.h"
#include "app/StartupPlan.h"
#include "app/WindowPlacement.h"
#include "app/ui/ArrangeGeometry.h"
#include "app/ui/BreakAfterDisplay.h"
#include "app/ui/CEndChkDlg.h"
#include "app/ui/CLoginDlg.h"
#include "app/ui/CRecomDlg.h"
#include "app/ui/CommandBar.h"
#include "app/ui/VersionDlg.h"
#include "backup/ui/CABakUpChk1Dlg.h"
#include "backup/ui/CABakUpChk2Dlg.h"
#include "backup/ui/CABakUpSetDlg.h"
#include "backup/ui/CPrgAbackUpDlg.h"
#include "download/DownloadDrivers.h"
#include "download/ui/DownloadCommands.h"
#include "folders/ui/BoxCommands.h"
#include "folders/ui/CsvCommands.h"
#include "lists/ui/CChildFrame.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindowStatus.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/ConvertCommands.h"
#include "lists/ui/commands/DeleteCommands.h"
#include "lists/ui/commands/InfoEditCommands.h"
#include "lists/ui/commands/ListDisplayCommands.h"
#include "lists/ui/commands/MoveCopyCommands.h"
#include "lists/ui/commands/ResponseCommands.h"
#include "oplog/OperationLog.h"
#include "oplog/ui/COperationLogDlg.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "player/PlayerSession.h"
#if PLOVA_BUILT_IN_PLAYER
#include "player/ui/CPlayerWnd.h"
#endif
#include "store/BoxFolderLock.h"

namespace plova::ui {
namespace {

Rect toRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
QRect toQRect(const Rect& r) {
    return {r.left, r.top, r.Width(), r.Height()};
}

// The rectangle a top-level window or an MDI child has when shown normally.
// An MDI child keeps its normal rectangle to itself while maximised or
// minimised, so it is shown normally first: this runs only at exit.
QRect normalGeometryOf(QMdiSubWindow* w) {
    if (w->isMaximized() || w->isMinimized()) w->showNormal();
    return w->geometry();
}

// An item's state as the rules give it; an item they do not name is enabled.
ItemState stateOf(const ItemStates& states, int id) {
    const auto it = states.find(id);
    return it != states.end() ? it->second : ItemState{};
}

}  // namespace

CMainFrame::CMainFrame(Options options, QWidget* parent)
    : QMainWindow(parent), settingsFile_(std::move(options.settingsFile)), backup_(std::move(options.backup)) {
    setWindowTitle(QString::fromUtf16(frame::kCaption));
    setAttribute(Qt::WA_DeleteOnClose, false);
    runDialog_ = [](QDialog& d) { return d.exec(); };

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);

    // The settings are read once, here; the window sections of the same read
    // serve the placement now and the list windows at start-up.
    startupIni_ = IniDocument::Load(settingsFile_);
    ReadAllSettings(startupIni_, doc_.settings);

    bar_ = new CommandBar(this);
    setMenuWidget(bar_);
    connect(bar_, &CommandBar::CommandTriggered, this, &CMainFrame::OnCommand);
    statusPane_ = new QLabel(this);
    statusPane_->setObjectName(QStringLiteral("statusPane"));
    statusPane_->setContentsMargins(4, 0, 4, 0);
    statusBar()->addWidget(statusPane_, 1);
    // Where the user is: the main unit and the box folder, at all times.
    for (auto [pane, name] : {std::pair{&loginPane_, "loginPane"}, std::pair{&boxFolderPane_, "boxFolderPane"}}) {
        *pane = new QLabel(this);
        (*pane)->setObjectName(QLatin1String(name));
        (*pane)->setContentsMargins(6, 0, 6, 0);
        statusBar()->addPermanentWidget(*pane);
    }
    // A log that cannot be written is said once, where it does not stop the work.
    oplog::SetFrontEnd(oplog::FrontEnd::Window);
    oplog::SetWarning([this](const std::string& text) {
        std::cerr << "plova: " << text << '\n';
        statusBar()->showMessage(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    });

    updateMinimumSize();
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
    const Rect placed = RestoreMainWindowPlacement(ReadMainWindowRect(startupIni_), screen.width(), screen.height());
    setGeometry(toQRect(placed));

    restoreCondition_ = ApplyStartupFolder(doc_.settings);
    SetFolderDisplayText(InitialFolderDisplayText(doc_.settings));
    SetBoxDisplayText(InitialBoxDisplayText(doc_.settings, restoreCondition_));

    idleTimer_.setObjectName(QStringLiteral("timer1"));
    connect(&idleTimer_, &QTimer::timeout, this, [this] { session_->OnIdleTick(); });
    backupTimer_.setObjectName(QStringLiteral("timer2"));
    connect(&backupTimer_, &QTimer::timeout, this, &CMainFrame::OnBackupTimer);

    SessionFactory factory = options.sessionFactory ? std::move(options.sessionFactory) : FtpSessionFactory();
    session_ = std::make_unique<SessionControl>(doc_, *this, std::move(factory));
    InstallDownloadCommands(*this);
    InstallListDisplayCommands(*this);
    InstallDeleteCommands(*this);
    InstallMoveCopyCommands(*this);
    InstallInfoEditCommands(*this);
    InstallBoxCommands(*this);
    InstallConvertCommands(*this);
    InstallCsvCommands(*this);
    InstallResponseCommands(*this);

    lists_ = new ListWindows(*this, this);
    openListWindow_ = [this](int listNumber) -> QMdiSubWindow* { return lists_->OpenWindow(listNumber); };
    // A build may stop for a backup that fell due: the run follows the command.
    SetCommandHandler(cmd::kOpenBoxes, trait::kModalDialog, [this] { lists_->OpenBoxes(); });
    SetCommandHandler(cmd::kShowAll, trait::kModalDialog, [this] {
        if (CListDispView* view = lists_->ActiveView()) view->ShowAll();
    });
    SetCommandHandler(cmd::kShowUndownloaded, trait::kModalDialog, [this] {
        if (CListDispView* view = lists_->ActiveView()) view->ShowNotDownloaded();
    });
    SetCommandHandler(cmd::kDownloadVoiceData, trait::kModalDialog | trait::kMainUnit | trait::kBoxFolder,
                      [this] { DownloadVoiceOfRows(); });

    if (options.builtInBackup) {
        backup_ = MakeBackupHooks(*this, flags_);
        SetBackupPrompts([this] { showBackupTimePrompt(); }, [this] { return showStartupPrompt(); });
    }
    watch_ = std::make_unique<BackupWatch>(flags_, doc_.settings, backup_, [this] {
        if (backupTimePrompt_) backupTimePrompt_();
    });
    OnIdle();
}

CMainFrame::~CMainFrame() {
    oplog::SetWarning(nullptr);
    // The children outlive this object's members: what they signal while
    // they are torn down must not reach it.
    disconnect(mdi_, nullptr, this, nullptr);
    disconnect(bar_, nullptr, this, nullptr);
    idleTimer_.stop();
    backupTimer_.stop();
    delete progress_.data();
#if PLOVA_BUILT_IN_PLAYER
    // The player goes before the sound device it plays on.
    delete player_.data();
#endif
    // The popup menus go first: their actions call back into this window.
    delete settingsMenu_.data();
    delete windowMenu_.data();
}

CFtpMng* CMainFrame::Ftp() {
    return session_->Session().Ftp();
}

// ------------------------------------------------------------------ start-up

void CMainFrame::ApplyStartup() {
    const StartupDecision d = DecideStartup(doc_.settings, startupIni_, restoreCondition_);
    if (d.folderForgotten) {
        SetFolderDisplayText({});
        SetBoxDisplayText({});
        return;
    }
    // NUM said how many lists to reopen; from here on it counts the open ones.
    SetOpenListCount(0);
    if (!d.restore.windows.empty() && openListWindow_) {
        setUpdatesEnabled(false);
        for (const ListWindowToOpen& w : d.restore.windows) {
            if (w.maximised) maximisedChildren_ = true;
            // The count goes up first: the new window takes it as its list number.
            SetOpenListCount(OpenListCount() + 1);
            QMdiSubWindow* sub = openListWindow_(w.listNumber);
            if (sub && w.applyRect) sub->setGeometry(toQRect(w.rect));
        }
        // Stacking positions 4..1: the window stored on top ends on top and active.
        for (int list : d.restore.activationOrder) activateList(list);
        setUpdatesEnabled(true);
    }
    if (d.recountStatus) RefreshStatusBar(true);
    update();
}

void CMainFrame::StartupBackup() {
    // A run that failed or was cancelled since the last start (from cron,
    // at the last exit) is said once, before anything else is asked.
    if (const auto notice = TakeFailedBackupNotice(doc_.settings))
        ShowPrompt(*notice, u"自動バックアップ", Icon::Exclamation);
    const bool start = StartupBackupSteps(flags_, doc_.settings, backup_,
                                          [this] { return overduePrompt_ ? overduePrompt_() : false; });
    if (start) StartBackupTimer();
}

// ---------------------------------------------------------------- accessors

int CMainFrame::OpenListCount() const {
    return std::clamp(doc_.settings.num, 0, settings::kListSlots);
}

void CMainFrame::SetOpenListCount(int count) {
    doc_.settings.num = std::clamp(count, 0, settings::kListSlots);
    if (doc_.settings.num == 0) listFlags_ = {};
}

void CMainFrame::SetFolderDisplayText(const std::u16string& text) {
    bar_->FolderDisplay()->SetDisplayText(QString::fromStdU16String(text));
}

std::u16string CMainFrame::FolderDisplayText() const {
    return bar_->FolderDisplay()->DisplayText().toStdU16String();
}

void CMainFrame::SetBoxDisplayText(const std::u16string& text) {
    bar_->BoxDisplay()->SetDisplayText(QString::fromStdU16String(text));
}

std::u16string CMainFrame::BoxDisplayText() const {
    return bar_->BoxDisplay()->DisplayText().toStdU16String();
}

void CMainFrame::SetCommandHandler(int id, unsigned traits, std::function<void()> run) {
    handlers_[id] = Handler{traits, std::move(run)};
}

void CMainFrame::SetListWindowOpener(std::function<QMdiSubWindow*(int)> opener) {
    openListWindow_ = std::move(opener);
}

void CMainFrame::SetBackupPrompts(std::function<void()> backupTime, std::function<bool()> overdueAtStartup) {
    backupTimePrompt_ = std::move(backupTime);
    overduePrompt_ = std::move(overdueAtStartup);
}

QMdiSubWindow* CMainFrame::ActiveListWindow() const {
    // The current child, also while another application has the focus.
    QMdiSubWindow* w = mdi_->currentSubWindow();
    return ListWindowStatusOf(w) ? w : nullptr;
}

ListWindowStatus* CMainFrame::ActiveListStatus() const {
    return ListWindowStatusOf(mdi_->currentSubWindow());
}

std::vector<QMdiSubWindow*> CMainFrame::ListWindowsFromActive() const {
    // Stacking order lists the topmost window last; the walk starts at the
    // active window and goes down the stack, then wraps around.
    QList<QMdiSubWindow*> stack = mdi_->subWindowList(QMdiArea::StackingOrder);
    std::reverse(stack.begin(), stack.end());
    std::vector<QMdiSubWindow*> out(stack.begin(), stack.end());
    if (QMdiSubWindow* active = mdi_->currentSubWindow()) {
        const auto it = std::find(out.begin(), out.end(), active);
        if (it != out.end()) std::rotate(out.begin(), it, out.end());
    }
    std::erase_if(out, [](QMdiSubWindow* w) { return !ListWindowStatusOf(w); });
    return out;
}

// ------------------------------------------------------------- status, idle

void CMainFrame::RefreshStatusBar(bool recount) {
    ListWindowStatus* active = ActiveListStatus();
    if (recount && active) folderTotal_ = active->CountFolderTotal();
    std::u16string text;
    if (active) {
        StatusCounts counts = active->Counts();
        counts.folderTotal = folderTotal_;
        text = StatusBarText(&counts);
    }
    const auto show = [](QLabel* pane, const std::u16string& shown) {
        if (const QString q = QString::fromStdU16String(shown); pane->text() != q) pane->setText(q);
    };
    show(statusPane_, text);
    show(loginPane_, LoginStatusText(doc_.settings));
    show(boxFolderPane_, BoxFolderStatusText(doc_.settings));
}

QString CMainFrame::StatusText() const {
    return statusPane_->text();
}

CommandContext CMainFrame::context(bool forMenu) const {
    const SettingsRecord& r = doc_.settings;
    CommandContext c;
    c.loggedIn = r.loggedIn == 1;
    c.openFolderIsBoxFolder = OpenFolderIsBoxFolder(r);
    c.folderDisplay = FolderDisplayText();
    ListWindowStatus* active = ActiveListStatus();
    c.listActive = active != nullptr;
    c.listCount = std::max(OpenListCount(), static_cast<int>(ListWindowsFromActive().size()));
    c.flags = listFlags_;
    c.activeListIsSystemResponse = active && active->IsSystemResponseList();
    // Listing the boxes is left to the moment the settings menu opens.
    c.openFolderHasBoxes = forMenu && OpenFolderHasBoxes(r);
    c.rootFolderEmpty = r.folder.empty();
    c.downConv = r.downConv;
    c.convDel = r.convDel;
    c.builtInPlayer = r.builtInPlayer;
    return c;
}

void CMainFrame::OnIdle() {
    RefreshStatusBar(false);
    for (const auto& [id, state] : ButtonStates(context(false)))
        if (QPushButton* b = bar_->Button(id); b && b->isEnabled() != state.enabled) b->setEnabled(state.enabled);
    updateMinimumSize();
}

void CMainFrame::updateMinimumSize() {
    const int height = ActiveListWindow() ? placement::kMinTrackHeightWithList : placement::kMinTrackHeight;
    const int width = std::max(placement::kMinTrackWidth, bar_->MinimumLayoutWidth());
    if (minimumSize() != QSize(width, height)) setMinimumSize(width, height);
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow* window) {
    if (ListWindowStatus* s = ListWindowStatusOf(window)) {
        // The command-bar fields and the enabling follow the active list, and
        // the open box folder is the one it shows.
        const int slot = s->ListNumber();
        if (slot >= 1 && slot <= settings::kListSlots && !doc_.settings.folderNames[slot - 1].empty())
            doc_.settings.folderName = doc_.settings.folderNames[slot - 1];
        SetFolderDisplayText(plova::FolderDisplayText(doc_.settings, s->ListNumber()));
        SetBoxDisplayText(plova::BoxDisplayText(doc_.settings, s->ListNumber()));
        PublishListFlags(s->Flags());
        RefreshStatusBar(false);
    } else if (mdi_->subWindowList().isEmpty()) {
        // The last list window has gone.
        listFlags_ = {};
        SetBoxDisplayText({});
    }
    OnIdle();
}

// ----------------------------------------------------------------- commands

int CMainFrame::RunDialog(QDialog& dialog) {
    return runDialog_(dialog);
}

void CMainFrame::ShowRowMenu(const QPoint& globalPos) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("rowMenu"));
    for (const RowMenuItem& item : RowMenuItems(context(false))) {
        if (item.id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action =
            menu.addAction(QString::fromUtf16(item.caption.data(), static_cast<qsizetype>(item.caption.size())));
        action->setData(item.id);
        action->setEnabled(item.enabled);
    }
    QAction* chosen = runRowMenu_ ? runRowMenu_(menu, globalPos) : menu.exec(globalPos);
    if (chosen != nullptr && chosen->isEnabled()) OnCommand(chosen->data().toInt());
}

bool CMainFrame::RunRowCommand(int id) {
    for (const RowMenuItem& item : RowMenuItems(context(false)))
        if (item.id == id && item.enabled) {
            OnCommand(id);
            return true;
        }
    return false;
}

void CMainFrame::OnCommand(int id) {
    StopBackupTimer();
    switch (id) {
    case cmd::kSettingsMenu: toggleSettingsMenu(); break;
    case cmd::kWindowMenu: toggleWindowMenu(); break;
    case cmd::kVersion: runVersion(); break;
    case cmd::kLogin: runLogin(); break;
    case cmd::kLogout: session_->Logout(); break;
    case cmd::kBackupSettings: runBackupSettings(); break;
    case cmd::kOperationLog: showOperationLog(); break;
    case cmd::kToggleDownConv:
    case cmd::kToggleConvDel:
    case cmd::kToggleBuiltInPlayer: ToggleConversionSetting(doc_.settings, id); break;
    case cmd::kArrangeSideBySide:
    case cmd::kArrangeAboveEachOther:
    case cmd::kArrangeLeftRight:
    case cmd::kArrangeCascade: arrange(id); break;
    default:
        // The start-up folder dialog, like login and logout, runs without the menu.
        if (id == cmd::kStartupFolder) CloseSettingsMenu();
        if (id > cmd::kActivateListBase && id <= cmd::kActivateListBase + settings::kListSlots) {
            activateList(id - cmd::kActivateListBase);
        } else if (const auto it = handlers_.find(id); it != handlers_.end()) {
            // A copy: the handler may replace its own entry.
            const Handler handler = it->second;
            // The upload replaces messages on the main unit: only after a "yes".
            if (id != cmd::kUpload || ConfirmUpload()) runHandler(handler);
        }
        break;
    }
    RestartBackupTimerIfArmed();
    OnIdle();
}

std::filesystem::path CMainFrame::openBoxFolderOfCommands() const {
    const std::u16string name = FolderNameFromDisplay(FolderDisplayText());
    if (doc_.settings.folder.empty() || name.empty()) return {};
    return PathOfText(WithTrailingSeparator(doc_.settings.folder) + name);
}

void CMainFrame::runHandler(const Handler& handler) {
    if (!handler.run) return;
    // Another run (a download from cron, say) working in the open box folder:
    // said, and nothing done.
    std::unique_ptr<BoxFolderLock> folderLock;
    if (handler.traits & trait::kBoxFolder) {
        folderLock = LockFolderForCommand(openBoxFolderOfCommands());
        if (!folderLock) return;
    }
    if (handler.traits & trait::kModalDialog) flags_.pending = false;
    if (handler.traits & trait::kMainUnit) session_->StopIdleTimer();
    handler.run();
    folderLock.reset();
    if (handler.traits & trait::kMainUnit) session_->RestartIdleTimer();
    if (handler.traits & trait::kModalDialog) runPendingBackupIfSet();
}

void CMainFrame::runPendingBackupIfSet() {
    watch_->RunPendingIfSet();
}

void CMainFrame::runVersion() {
    flags_.pending = false;
    VersionDlg dialog(this, this);
    RunDialog(dialog);
    runPendingBackupIfSet();
}

void CMainFrame::showOperationLog() {
    COperationLogDlg dialog(oplog::ProcessJournal(), this);
    RunDialog(dialog);
}

void CMainFrame::runBackupSettings() {
    // Only with a root folder: the month folders go under it.
    if (doc_.settings.folder.empty()) return;
    flags_.pending = false;
    CABakUpSetDlg dialog(backupSettings_, this, this);
    if (dialog.Opened()) RunDialog(dialog);
    runPendingBackupIfSet();
}

void CMainFrame::showBackupTimePrompt() {
    CABakUpChk1Dlg dialog(backupSettings_, this);
    RunDialog(dialog);
}

bool CMainFrame::showStartupPrompt() {
    CABakUpChk2Dlg dialog(this);
    return RunDialog(dialog) == QDialog::Accepted;
}

void CMainFrame::runLogin() {
    CloseSettingsMenu();
    flags_.pending = false;
    CLoginDlg dialog(*session_, doc_.settings, this, this);
    const bool ok = RunDialog(dialog) == QDialog::Accepted;
    session_->AfterLoginDialog(ok);
    runPendingBackupIfSet();
}

// -------------------------------------------------------------- popup menus

QMenu* CMainFrame::newPopup(const QString& title) {
    auto* menu = new QMenu(title, this);
    // A click outside closes the menu and goes no further, so a second press
    // of the button that opened it only closes it.
    menu->setAttribute(Qt::WA_NoMouseReplay);
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    return menu;
}

void CMainFrame::addMenuCommand(QMenu* menu, int id, const QString& caption, const ItemState& state) {
    QAction* action = menu->addAction(caption);
    action->setData(id);
    action->setEnabled(state.enabled);
    if (state.checked) {
        action->setCheckable(true);
        action->setChecked(true);
    }
    // Queued: the command runs once the menu has gone.
    connect(
        action, &QAction::triggered, this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
}

void CMainFrame::showPopup(QMenu* menu, int buttonId) {
    QPushButton* button = bar_->Button(buttonId);
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void CMainFrame::toggleSettingsMenu() {
    if (settingsMenu_ && settingsMenu_->isVisible()) {
        CloseSettingsMenu();
        return;
    }
    // The open box folder as the folder display names it.
    TakeOpenFolderFromDisplay();
    const ItemStates states = SettingsMenuStates(context(true));
    QMenu* menu = newPopup(Qs(kSettingsMenuTitle));
    menu->setObjectName(QStringLiteral("settingsMenu"));
    for (const CommandCaption& item : kSettingsMenuItems) {
        if (item.id == 0)
            menu->addSeparator();
        else
            addMenuCommand(menu, item.id, Qs(item.caption), stateOf(states, item.id));
    }
    settingsMenu_ = menu;
    showPopup(menu, cmd::kSettingsMenu);
}

void CMainFrame::toggleWindowMenu() {
    if (windowMenu_ && windowMenu_->isVisible()) {
        closeWindowMenu();
        return;
    }
    const ItemStates states = WindowMenuStates(context(false));
    QMenu* menu = newPopup(Qs(kWindowMenuTitle));
    menu->setObjectName(QStringLiteral("windowMenu"));
    for (const CommandCaption& item : kWindowMenuItems)
        addMenuCommand(menu, item.id, Qs(item.caption), stateOf(states, item.id));

    ListWindowStatus* active = ActiveListStatus();
    const auto lists = WindowMenuListItems(doc_.settings.disp, static_cast<int>(ListWindowsFromActive().size()),
                                           active ? active->ListNumber() : 0);
    if (!lists.empty()) menu->addSeparator();
    for (const WindowMenuListItem& item : lists)
        addMenuCommand(menu, item.id, QString::fromStdU16String(item.caption), ItemState{true, item.checked});
    windowMenu_ = menu;
    showPopup(menu, cmd::kWindowMenu);
}

QMenu* CMainFrame::SettingsMenu() const {
    return settingsMenu_.data();
}

QMenu* CMainFrame::WindowMenu() const {
    return windowMenu_.data();
}

void CMainFrame::CloseSettingsMenu() {
    if (settingsMenu_) settingsMenu_->close();
}

void CMainFrame::closeWindowMenu() {
    if (windowMenu_) windowMenu_->close();
}

// ----------------------------------------------------------- list windows

void CMainFrame::activateList(int listNumber) {
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (ListWindowStatus* s = ListWindowStatusOf(w); s && s->ListNumber() == listNumber) {
            mdi_->setActiveSubWindow(w);
            return;
        }
}

void CMainFrame::arrange(int id) {
    if (id == cmd::kArrangeCascade) {
        mdi_->cascadeSubWindows();
        return;
    }
    const std::vector<QMdiSubWindow*> all = ListWindowsFromActive();
    const int n = static_cast<int>(all.size());
    const QRect area = mdi_->viewport()->rect();
    const Rect client = toRect(area);
    auto apply = [](const std::vector<QMdiSubWindow*>& windows, const std::vector<Rect>& rects) {
        for (std::size_t i = 0; i < windows.size() && i < rects.size(); ++i) {
            if (windows[i]->isMaximized() || windows[i]->isMinimized()) windows[i]->showNormal();
            windows[i]->setGeometry(toQRect(rects[i]));
        }
    };
    if (id == cmd::kArrangeSideBySide && n == arrange::kSideBySideCount)
        return apply(all, ArrangeSideBySideRects(client, n));
    if (id == cmd::kArrangeAboveEachOther && n >= arrange::kPairedFrom)
        return apply(all, ArrangeAboveEachOtherRects(client, n));
    if (id == cmd::kArrangeLeftRight && n >= arrange::kPairedFrom) return apply(all, ArrangeLeftRightRects(client, n));

    // The platform's tiling leaves out minimised and disabled windows.
    std::vector<QMdiSubWindow*> tiled;
    for (QMdiSubWindow* w : all)
        if (!w->isMinimized() && w->isEnabled()) tiled.push_back(w);
    apply(tiled, TileRects(client, static_cast<int>(tiled.size()), id == cmd::kArrangeAboveEachOther));
}

// ---------------------------------------------------------------- ListHost

void CMainFrame::DownloadVoiceOfRows() {
    QPointer<CListDispView> view = lists_->ActiveView();
    if (!view || doc_.settings.loggedIn != 1 || !ConfirmDownload(doc_.settings.folderName)) return;
    std::vector<std::filesystem::path> rows;
    for (int row : view->SelectedRows()) rows.push_back(view->Data().RecordOfRow(row).Path());
    const VoiceResult result = RunSelectedVoiceDownload(*this, rows);
    // The rows that now have their voice data show it; the user's sort stays.
    if (result.reload && view) view->Refresh(true);
    RefreshStatusBar(true);
}

ListSlotTable CMainFrame::Slots() {
    return ListSlotTable{doc_.settings.disp, doc_.settings.folderNames, doc_.settings.num};
}

std::vector<std::u16string> CMainFrame::BoxColumns() const {
    return {doc_.settings.columns.begin(), doc_.settings.columns.end()};
}

int CMainFrame::RunListDialog(QDialog& dialog) {
    // Timer 10: a backup that falls due while the dialog is open cancels it.
    QTimer timer;
    timer.setInterval(cmd::kDialogBackupTimerMs);
    connect(&timer, &QTimer::timeout, &dialog, [this, &timer, &dialog] {
        timer.stop();
        if (OnDialogBackupTick()) {
            dialog.reject();
            return;
        }
        if (BackupWatchArmed()) timer.start();
    });
    if (BackupWatchArmed()) timer.start();
    return RunDialog(dialog);
}

void CMainFrame::PublishListFlags(const CommandFlags& f) {
    listFlags_ = ListEnableFlags{f.hasVoice, f.notDownloaded, f.play, f.move, f.add, f.erase, f.upload};
}

void CMainFrame::AllListsClosed() {
    listFlags_ = {};
    SetBoxDisplayText({});
    OnIdle();
}

void CMainFrame::SetListBusy(bool busy) {
    // The progress window stays live; the bar and the other lists wait.
    bar_->setEnabled(!busy);
    mdi_->setEnabled(!busy);
}

bool CMainFrame::BackupAbandonsListWork() {
    // Asked between the steps of a build, at the pace of a dialog's timer 10,
    // so a declined prompt is not put again at the next box.
    if (!flags_.watch) return false;
    if (listBackupCheck_.isValid() && listBackupCheck_.elapsed() < cmd::kDialogBackupTimerMs) return false;
    listBackupCheck_.start();
    return OnDialogBackupTick();
}

// ------------------------------------------------------------------ timers

void CMainFrame::StartIdleTimer(int milliseconds) {
    idleTimer_.start(idleIntervalOverride_ > 0 ? idleIntervalOverride_ : milliseconds);
}

void CMainFrame::StopIdleTimer() {
    idleTimer_.stop();
}

void CMainFrame::StopBackupTimer() {
    backupTimer_.stop();
}

void CMainFrame::StartBackupTimer() {
    backupTimer_.start(cmd::kBackupTimerMs);
}

void CMainFrame::RestartBackupTimerIfArmed() {
    if (flags_.watch && !exitDone_) StartBackupTimer();
}

void CMainFrame::OnBackupTimer() {
    StopBackupTimer();
    watch_->OnBackupTimer();
    RestartBackupTimerIfArmed();
}

bool CMainFrame::OnDialogBackupTick() {
    return watch_->DueBreak();
}

// ------------------------------------------------------- backup run host

ftp::LoginResult CMainFrame::Login(const std::u16string& address, const std::u16string& user,
                                   const std::u16string& password) {
    return session_->Session().Login(address, user, password);
}

void CMainFrame::Logout() {
    session_->Session().Logout();
}

void CMainFrame::EnableMainWindow(bool enabled) {
    SetListBusy(!enabled);
}

void CMainFrame::OpenProgress() {
    delete progress_.data();
    progress_ = new CPrgAbackUpDlg(this);
    progress_->show();
}

void CMainFrame::CloseProgress() {
    delete progress_.data();
}

void CMainFrame::ResetIdleCount() {
    session_->ResetIdleCount();
}

CPrgAbackUpDlg* CMainFrame::BackupProgress() const {
    return progress_.data();
}

// ---------------------------------------------------------- session host

ConnectionLostChoice CMainFrame::ShowConnectionLost() {
    CRecomDlg dialog(this);
    RunDialog(dialog);
    return dialog.Choice();
}

void CMainFrame::BeginExit() {
    close();
}

void CMainFrame::Redraw() {
    OnIdle();
    update();
}

// -------------------------------------------------------------------- exit

EndCheckChoice CMainFrame::ShowEndCheck(const EndCheckButtons& buttons) {
    CEndChkDlg dialog(buttons, this);
    RunDialog(dialog);
    return dialog.Choice();
}

PlacementSave CMainFrame::CollectPlacement() {
    const bool normal = !(isMaximized() || isMinimized() || isFullScreen());
    const Rect main = toRect(normal ? geometry() : normalGeometry());
    const std::vector<QMdiSubWindow*> windows = ListWindowsFromActive();
    std::vector<ListWindowState> lists;
    for (QMdiSubWindow* w : windows) {
        ListWindowState s;
        s.listNumber = ListWindowStatusOf(w)->ListNumber();
        s.showCmd = w->isMaximized()   ? placement::kShowMaximized
                    : w->isMinimized() ? placement::kShowMinimized
                                       : placement::kShowNormal;
        lists.push_back(s);
    }
    // Reading the children's normal rectangles shows them normally; the
    // windows close right after this, so nobody sees it.
    mdi_->setUpdatesEnabled(false);
    for (std::size_t i = 0; i < windows.size(); ++i) lists[i].normal = toRect(normalGeometryOf(windows[i]));
    mdi_->setUpdatesEnabled(true);
    return PlanPlacementSave(main, lists);
}

void CMainFrame::DeleteQueuedWavFiles() {
    DeleteWavFilesAtExit(wavToDelete_);
    wavToDelete_.clear();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (exitDone_) {
        event->accept();
        return;
    }
    // A running backup ends first; it always ends by itself or by its Cancel.
    if (flags_.running) {
        event->ignore();
        return;
    }
    CloseSettingsMenu();
    closeWindowMenu();
    if (!RunExitSequence(*this, doc_, flags_, backup_, settingsFile_, OpenListCount())) {
        event->ignore();
        return;
    }
    exitDone_ = true;
    if (session_->LoggedIn()) session_->Logout();
    idleTimer_.stop();
    backupTimer_.stop();
    mdi_->closeAllSubWindows();
    event->accept();
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    // System keys (Alt combinations, F10) do nothing here.
    if (event->key() == Qt::Key_F10 || (event->modifiers() & Qt::AltModifier)) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

}  // namespace plova::ui
