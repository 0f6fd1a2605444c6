#include "app/ui/CPLOVAApp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QIcon>
#include <QLocalServer>
#include <QLocalSocket>

#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/Ports.h"
#include "platform/SingleInstance.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
// How long a second start waits for the running one to take its request.
constexpr int kForwardTimeoutMs = 2000;
}  // namespace

CPLOVAApp::CPLOVAApp(int& argc, char** argv) {
    for (int i = 0; i < argc; ++i) args_.emplace_back(argv[i]);
    if (!QApplication::instance()) ownedApp_ = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("plova"));
    // Ties the windows to the desktop entry, and takes the icon the package
    // installs into the icon theme; a build run from its folder, where the
    // theme has none, takes the one built into the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("plova"));
    QIcon builtIn;
    for (const int size : {16, 32, 48, 64, 128, 256}) builtIn.addFile(QStringLiteral(":/icons/plova-%1.png").arg(size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("plova"), builtIn));
    ApplyApplicationFont();
    LoadQtJapanese();  // without them Qt's own dialogs stay English, which is no loss worth a message
    frameOptions_.builtInBackup = true;
}

CPLOVAApp::~CPLOVAApp() {
    if (idleConnection_) QObject::disconnect(idleConnection_);
    forwardServer_.reset();
    frame_.reset();
    settingsLock_.reset();
    lock_.reset();
}

bool CPLOVAApp::InitInstance() {
    // One instance per user: a second start says so and leaves the first,
    // and the settings file, alone.
    lock_ = std::make_unique<SingleInstanceLock>(appinfo::kMutexName, lockFolder_);
    const QString channel = QString::fromStdString(SingleInstanceChannel(appinfo::kMutexName, lockFolder_));
    if (!lock_->Acquired()) {
        lock_.reset();
        ShowPrompt(appinfo::kAlreadyRunning, appinfo::kErrorCaption, Icon::Stop);
        askToComeForward(channel);
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
    listenForSecondStarts(channel);

    frame_->ApplyStartup();
    frame_->StartupBackup();

    // Idle processing: whenever the event loop runs dry, the status bar and
    // the enabling follow what happened.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        idleConnection_ =
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, frame_.get(), [this] { onIdle(); });
    return true;
}

void CPLOVAApp::listenForSecondStarts(const QString& channel) {
    // The lock is ours: a channel a crashed instance left behind can go.
    QLocalServer::removeServer(channel);
    forwardServer_ = std::make_unique<QLocalServer>();
    forwardServer_->setSocketOptions(QLocalServer::UserAccessOption);
    // Without the channel a second start still says that this one runs.
    if (!forwardServer_->listen(channel)) {
        forwardServer_.reset();
        return;
    }
    QObject::connect(forwardServer_.get(), &QLocalServer::newConnection, frame_.get(), [this] {
        while (QLocalSocket* asking = forwardServer_->nextPendingConnection()) {
            asking->disconnectFromServer();
            asking->deleteLater();
        }
        frame_->setWindowState((frame_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        frame_->show();
        frame_->raise();
        frame_->activateWindow();
    });
}

void CPLOVAApp::askToComeForward(const QString& channel) {
    // A connection is the whole request.
    QLocalSocket socket;
    socket.connectToServer(channel);
    if (socket.waitForConnected(kForwardTimeoutMs)) socket.disconnectFromServer();
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
    forwardServer_.reset();
    settingsLock_.reset();
    lock_.reset();
}

}  // namespace plova::ui
