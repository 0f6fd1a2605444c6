#include "app/ui/CPLOVAApp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QIcon>

#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/Ports.h"
#include "platform/SingleInstance.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {

CPLOVAApp::CPLOVAApp(int& argc, char** argv) {
    for (int i = 0; i < argc; ++i) args_.emplace_back(argv[i]);
    if (!QApplication::instance()) ownedApp_ = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("plova"));
    // Ties the windows to the desktop entry, and takes the icon the package
    // installs into the icon theme (a build run from its folder has none).
    QGuiApplication::setDesktopFileName(QStringLiteral("plova"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("plova")));
    ApplyApplicationFont();
    LoadQtJapanese();  // without them Qt's own dialogs stay English, which is no loss worth a message
    frameOptions_.builtInBackup = true;
}

CPLOVAApp::~CPLOVAApp() {
    if (idleConnection_) QObject::disconnect(idleConnection_);
    frame_.reset();
    settingsLock_.reset();
    lock_.reset();
}

bool CPLOVAApp::InitInstance() {
    // One instance per user: a second start says so and leaves the first,
    // and the settings file, alone.
    lock_ = std::make_unique<SingleInstanceLock>(appinfo::kMutexName, lockFolder_);
    if (!lock_->Acquired()) {
        lock_.reset();
        ShowPrompt(appinfo::kAlreadyRunning, appinfo::kErrorCaption, Icon::Stop);
        return false;
    }

    settingsFile_ = frameOptions_.settingsFile.empty() ? SettingsPath(args_) : frameOptions_.settingsFile;
    // A folder where no lock file can be made holds a settings file nobody
    // else writes either: the window goes on without the lock there.
    settingsLock_ = std::make_unique<FileLock>(LockBeside(settingsFile_));
    if (settingsLock_->LockState() == FileLock::State::Busy) {
        settingsLock_.reset();
        lock_.reset();
        ShowPrompt(appinfo::kSettingsBusy, appinfo::kErrorCaption, Icon::Stop);
        return false;
    }
    CMainFrame::Options options = frameOptions_;
    options.settingsFile = settingsFile_;
    frame_ = std::make_unique<CMainFrame>(std::move(options));
    frame_->show();

    frame_->ApplyStartup();
    frame_->StartupBackup();

    // Idle processing: whenever the event loop runs dry, the status bar and
    // the enabling follow what happened.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        idleConnection_ =
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, frame_.get(), [this] { onIdle(); });
    return true;
}

void CPLOVAApp::onIdle() {
    if (frame_ && frame_->isVisible()) frame_->OnIdle();
}

int CPLOVAApp::Run() {
    const int code = QApplication::exec();
    ExitInstance();
    return code;
}

void CPLOVAApp::ExitInstance() {
    if (idleConnection_) QObject::disconnect(idleConnection_);
    settingsLock_.reset();
    lock_.reset();
}

}  // namespace plova::ui
