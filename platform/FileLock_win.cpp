// Taking a lock with LockFileEx.
#include <windows.h>

#include "platform/FileLock.h"
#include "platform/Win32.h"

namespace plova {
namespace {

// A lock file removed and made again between our open and our lock is opened
// once more; a few times are plenty.
constexpr int kAttempts = 8;
// The byte locked: any one will do, the file is never read or written, and a
// lock beyond the end of a file is allowed.
constexpr DWORD kLockedBytes = 1;

// The lock file, opened for locking only: read-only where the folder lets us
// read but not create. A link or junction under the name is not followed.
FileHandle openLockFile(const std::wstring& name) {
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE h = win::OpenShared(name, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, kFlags);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        h = win::OpenShared(name, GENERIC_READ, OPEN_EXISTING, kFlags);
    return FileHandle(win::NativeOf(h));
}

// Whether the name still leads to the file `locked`.
bool stillNamed(const std::wstring& name, HANDLE locked) {
    const FileHandle named(win::NativeOf(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, win::kShareAll, nullptr,
                                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    return named && win::SameFile(locked, win::HandleOf(named.Native()));
}

}  // namespace

FileLock::FileLock(std::filesystem::path lockFile) : file_(std::move(lockFile)) {
    if (!win::HoldsFileName(file_)) {
        error_ = kNotRegular;
        return;
    }
    const std::wstring name = win::LongPath(file_);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        FileHandle f = openLockFile(name);
        if (!f) {
            // A folder under the name refuses to be opened as a file.
            const DWORD error = GetLastError();
            const DWORD attributes = GetFileAttributesW(name.c_str());
            const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            error_ = folder ? kNotRegular : static_cast<int>(error);
            return;
        }
        if (win::CheckRegular(f, name, GENERIC_READ, Links::Refuse) != ReadResult::Ok) {
            error_ = kNotRegular;
            return;
        }
        OVERLAPPED at{};
        if (!LockFileEx(win::HandleOf(f.Native()), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, kLockedBytes,
                        0, &at)) {
            error_ = static_cast<int>(GetLastError());
            state_ = error_ == ERROR_LOCK_VIOLATION ? State::Busy : State::Failed;
            return;
        }
        // The lock is ours only if the name still leads to the file we
        // locked: a run that removed it meanwhile leaves us a lock nobody
        // else will ever look at.
        if (stillNamed(name, win::HandleOf(f.Native()))) {
            handle_ = std::move(f);
            state_ = State::Held;
            error_ = 0;
            return;
        }
    }
    error_ = kRemovedMeanwhile;
}

void FileLock::ReleaseAndRemove() {
    if (!Held()) return;
    // Removed while still locked (every opener shares removal): whoever
    // opened the old file meanwhile finds it gone from its name once it gets
    // the lock, and opens the name again.
    DeleteFileW(win::LongPath(file_).c_str());
    handle_.Close();
    state_ = State::Failed;
}

}  // namespace plova
