// Locks that keep two runs of the program (the window, the command-line tool
// from cron or a timer, a second window) from working on the same data at
// once: an exclusive lock on a lock file (flock on Linux, LockFileEx on
// Windows), held by this process until the object goes. The system drops it
// when the process ends, however it ends, so a killed run never leaves
// anything locked.
//
// A lock that guards data lives with the data: a box folder's and the backup
// root's lock files lie inside those folders, the settings file's beside it.
// Every process that works there finds the same file whatever its session
// (a cron job has no per-user runtime folder).
//
// Lock files are opened without following a link, only when they are regular
// files, never blocking on a pipe, and never written to, so whatever someone
// planted under their names is neither hung on nor changed. A lock is not
// re-entrant: a process takes each one at one place only.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/File.h"

namespace plova {

class FileLock {
public:
    enum class State {
        Held,    // this process holds the lock
        Busy,    // another run holds it
        Failed,  // the lock file cannot be made or opened (see error())
    };

    // No lock (Failed, with no error), for a folder that is not there.
    FileLock() = default;
    // Tries once, without waiting. A missing lock file is created.
    explicit FileLock(std::filesystem::path lockFile);
    FileLock(FileLock&&) noexcept = default;
    FileLock& operator=(FileLock&&) noexcept = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    [[nodiscard]] State LockState() const { return state_; }
    [[nodiscard]] bool Held() const { return state_ == State::Held; }
    // The system's error number (errno; a GetLastError code on Windows) when
    // the lock file could not be used, or one of the reasons below.
    [[nodiscard]] int Error() const { return error_; }
    static constexpr int kNotRegular = -1;        // a folder, pipe, device or link under the name
    static constexpr int kRemovedMeanwhile = -2;  // another run kept removing the file as it was taken
    // The same in words, for a message.
    [[nodiscard]] std::string Reason() const;
    [[nodiscard]] const std::filesystem::path& File() const { return file_; }

    // Removes the lock file and then lets the lock go, for a folder that is
    // to be removed again. Nothing when the lock is not held.
    void ReleaseAndRemove();

private:
    std::filesystem::path file_;
    FileHandle handle_;
    State state_ = State::Failed;
    int error_ = 0;
};

// The lock files of the folders whose data they guard.
constexpr std::string_view kBoxFolderLockName = ".plova-folder.lock";
constexpr std::string_view kBackupRootLockName = ".plova-backup.lock";

// The lock of the work in `folder`, under the lock file `name` inside it.
FileLock LockFolder(const std::filesystem::path& folder, std::string_view name);

// The lock beside a file ("dir/.NAME.lock" for "dir/NAME"), for a file that
// is replaced as a whole and so cannot carry a lock of its own.
FileLock LockBeside(const std::filesystem::path& file);

}  // namespace plova
