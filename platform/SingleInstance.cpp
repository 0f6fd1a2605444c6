#include "platform/SingleInstance.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace plova {

namespace {
constexpr unsigned kLockFileMode = 0600;
}

std::filesystem::path runtimeFolder() {
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg && std::filesystem::is_directory(xdg)) return xdg;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("plova-" + std::to_string(getuid()));
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    ::chmod(dir.c_str(), 0700);
    return dir;
}

SingleInstanceLock::SingleInstanceLock(const std::string& name, std::filesystem::path folder) {
    if (folder.empty()) folder = runtimeFolder();
    path_ = folder / (name + ".lock");
    lock_ = openRegularFile(path_, Access::ReadWriteCreate);
    if (!lock_) return;
    lock_.setPermissions(kLockFileMode);  // the lock file is this user's alone
    if (::flock(lock_.fd(), LOCK_EX | LOCK_NB) != 0) lock_.close();
}

SingleInstanceLock::~SingleInstanceLock() {
    if (lock_) ::flock(lock_.fd(), LOCK_UN);
}

}  // namespace plova
