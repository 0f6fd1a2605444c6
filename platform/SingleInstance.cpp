#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace plova {

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
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

}  // namespace plova
