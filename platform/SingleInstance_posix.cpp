#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/FileLock.h"
#include "platform/SingleInstance.h"

namespace plova {

struct SingleInstanceLock::Held {
    FileLock lock;
};

std::filesystem::path RuntimeFolder() {
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg && std::filesystem::is_directory(xdg)) return xdg;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("plova-" + std::to_string(getuid()));
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    ::chmod(dir.c_str(), 0700);
    return dir;
}

SingleInstanceLock::SingleInstanceLock(const std::string& name, std::filesystem::path folder) {
    if (folder.empty()) folder = RuntimeFolder();
    held_ = std::make_unique<Held>(Held{FileLock(folder / (name + ".lock"))});
}

std::string SingleInstanceChannel(const std::string& name, const std::filesystem::path& folder) {
    return ((folder.empty() ? RuntimeFolder() : folder) / (name + ".raise")).string();
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::Acquired() const {
    return held_->lock.Held();
}

}  // namespace plova
