// One run at a time in a box folder. Downloads, deletions, moves and copies,
// and every command of the window that writes into the open box folder hold
// the folder's lock while they work, whichever program runs them (the window,
// plova-cli from cron); a second run is refused and says that another one is
// working on that folder. The lock lives in the box folder itself, so every
// run finds it, with or without a desktop session.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileLock.h"

namespace plova {

constexpr std::u16string_view kFolderBusy = u"別の処理がこのフォルダで実行中です。しばらくしてからやり直してください。";
constexpr std::u16string_view kFolderBusyCaption = u"エラー";

class BoxFolderLock {
public:
    // Tries once. With `make`, a missing folder is made first, so that its
    // lock can live in it (a download builds a new box folder).
    BoxFolderLock(std::filesystem::path folder, bool make);
    // Lets the lock go. A folder made here that the run left empty but for
    // the lock goes with it, as if it had never been made.
    ~BoxFolderLock();
    BoxFolderLock(const BoxFolderLock&) = delete;
    BoxFolderLock& operator=(const BoxFolderLock&) = delete;

    [[nodiscard]] FileLock::State LockState() const { return lock_.LockState(); }
    [[nodiscard]] bool Busy() const { return lock_.LockState() == FileLock::State::Busy; }
    [[nodiscard]] const FileLock& Lock() const { return lock_; }
    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    bool made_ = false;
    FileLock lock_;
};

// The lock for a command of the window on `folder`. Null, after telling the
// user, when another run is working there: the command must not run. A
// folder where no lock file can be made (none open, read-only) is worked on
// without a lock: the command's own writes fail there with their messages.
std::unique_ptr<BoxFolderLock> LockFolderForCommand(const std::filesystem::path& folder);

}  // namespace plova
