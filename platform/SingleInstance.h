// The one-instance rule: an exclusive lock on a lock file named after the
// application in the per-user runtime folder. The lock goes with the process,
// so a crashed instance never blocks the next start.
#pragma once

#include <filesystem>
#include <string>

#include "platform/FileLock.h"

namespace plova {

class SingleInstanceLock {
public:
    // `name` is the lock's name ("PLOVA-Kw"); `folder` defaults to the
    // per-user runtime folder.
    explicit SingleInstanceLock(const std::string& name, std::filesystem::path folder = {});
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // False when another process holds the lock.
    bool acquired() const { return lock_.held(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    FileLock lock_;
};

// $XDG_RUNTIME_DIR, else a folder of this user's under the temporary folder.
std::filesystem::path runtimeFolder();

}  // namespace plova
