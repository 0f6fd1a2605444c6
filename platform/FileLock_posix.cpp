// Taking a lock with flock.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileLock.h"

namespace plova {
namespace {

constexpr unsigned kLockFileMode = 0644;
// A lock file removed and made again between our open and our lock is opened
// once more; a few times are plenty.
constexpr int kAttempts = 8;

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The lock file, opened for locking only: read-only where the folder lets us
// read but not create.
int openLockFile(const std::filesystem::path& file) {
    const int common = O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | common, kLockFileMode);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = ::open(file.c_str(), O_RDONLY | common);
    return fd;
}

}  // namespace

FileLock::FileLock(std::filesystem::path lockFile) : file_(std::move(lockFile)) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        FileHandle f(openLockFile(file_));
        if (!f) {
            // O_NOFOLLOW answers a link with ELOOP; a folder answers EISDIR.
            error_ = errno == ELOOP || errno == EISDIR ? kNotRegular : errno;
            return;
        }
        struct stat opened {};
        if (::fstat(f.Fd(), &opened) != 0) {
            error_ = errno;
            return;
        }
        if (!S_ISREG(opened.st_mode)) {
            // A pipe, device or socket planted under the name.
            error_ = kNotRegular;
            return;
        }
        if (::flock(f.Fd(), LOCK_EX | LOCK_NB) != 0) {
            error_ = errno;
            state_ = errno == EWOULDBLOCK ? State::Busy : State::Failed;
            return;
        }
        // The lock is ours only if the name still leads to the file we
        // locked: a run that removed it meanwhile leaves us a lock nobody
        // else will ever look at.
        struct stat named {};
        if (::lstat(file_.c_str(), &named) == 0 && sameFile(opened, named)) {
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
    // Removed while still locked: whoever opened the old file meanwhile finds
    // it gone from its name once it gets the lock, and opens the name again.
    ::unlink(file_.c_str());
    handle_.Close();
    state_ = State::Failed;
}

}  // namespace plova
