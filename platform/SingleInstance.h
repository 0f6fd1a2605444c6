// The one-instance rule. On Linux an exclusive lock on a lock file named
// after the application in the per-user runtime folder; on Windows a named
// mutex in the user's session. Either goes with the process, so a crashed
// instance never blocks the next start.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace plova {

class SingleInstanceLock {
public:
    // `name` is the lock's name ("PLOVA-Kw"). A `folder` (tests give one)
    // makes a lock of that folder's own: the lock file lies there on Linux,
    // the mutex's name carries it on Windows. Without one the lock is the
    // session's.
    explicit SingleInstanceLock(const std::string& name, std::filesystem::path folder = {});
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // False when another process holds the lock.
    [[nodiscard]] bool Acquired() const;

private:
    struct Held;
    std::unique_ptr<Held> held_;
};

// The name of the local channel through which a second start asks the
// running instance to bring its window forward: a socket beside the lock
// file on Linux, a pipe named after the lock's folder on Windows. `folder`
// as for the lock.
std::string SingleInstanceChannel(const std::string& name, const std::filesystem::path& folder = {});

// A folder of this user's for what lasts as long as the session: on Linux
// $XDG_RUNTIME_DIR, else a folder of the user's own under the temporary
// folder; on Windows %LOCALAPPDATA%\PLOVA.
std::filesystem::path RuntimeFolder();

}  // namespace plova
