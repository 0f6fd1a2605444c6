// The application object: one instance per user, the settings file, the
// main window and the start-up steps, idle processing, and the exit.
#pragma once

#include <QMetaObject>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/CMainFrame.h"

class QApplication;
class QLocalServer;
class QString;

namespace plova {
class FileLock;
class SingleInstanceLock;
}  // namespace plova

namespace plova::ui {

namespace appinfo {
constexpr char kMutexName[] = "PLOVA-Kw";
constexpr char16_t kAlreadyRunning[] = u"Kwシリーズ音声ファイル管理は既に起動しています。";
constexpr char16_t kErrorCaption[] = u"エラー";
// The settings file is in the hands of a backup run without a window.
constexpr char16_t kSettingsBusy[] = u"この設定ファイルでバックアップを実行中です。終了してから起動してください。";
}  // namespace appinfo

class CPLOVAApp {
public:
    // Makes the QApplication unless one exists already (tests make their own).
    CPLOVAApp(int& argc, char** argv);
    ~CPLOVAApp();
    CPLOVAApp(const CPLOVAApp&) = delete;
    CPLOVAApp& operator=(const CPLOVAApp&) = delete;

    // Start-up. False when the program must end at once (another instance
    // runs; a backup without a window runs on the settings file; the main
    // window could not be made). The settings file's lock is held until the
    // exit, so that a backup from cron or a timer leaves the file and the
    // window's schedule alone meanwhile.
    bool InitInstance();
    // The event loop, then ExitInstance; the program's exit code.
    int Run();
    // Releases the one-instance lock and the settings file's.
    void ExitInstance();

    [[nodiscard]] CMainFrame* MainFrame() const { return frame_.get(); }
    [[nodiscard]] const std::filesystem::path& SettingsFile() const { return settingsFile_; }

    // Test hooks: where the one-instance lock lives, and how the frame is made.
    void SetLockFolder(std::filesystem::path folder) { lockFolder_ = std::move(folder); }
    void SetFrameOptions(CMainFrame::Options options) { frameOptions_ = std::move(options); }

private:
    void onIdle();
    // The running instance's side of "bring the window forward", and the
    // second start's.
    void listenForSecondStarts(const QString& channel);
    static void askToComeForward(const QString& channel);

    std::unique_ptr<QApplication> ownedApp_;
    std::vector<std::string> args_;
    std::filesystem::path lockFolder_;
    std::filesystem::path settingsFile_;
    std::unique_ptr<SingleInstanceLock> lock_;
    std::unique_ptr<FileLock> settingsLock_;
    CMainFrame::Options frameOptions_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<QLocalServer> forwardServer_;
    QMetaObject::Connection idleConnection_;
};

}  // namespace plova::ui
