#include "platform/SingleInstance.h"

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

namespace {
std::filesystem::path lockPath(const std::string& name, std::filesystem::path folder) {
    if (folder.empty()) folder = runtimeFolder();
    return folder / (name + ".lock");
}
}  // namespace

SingleInstanceLock::SingleInstanceLock(const std::string& name, std::filesystem::path folder)
    : path_(lockPath(name, std::move(folder))), lock_(path_) {}

}  // namespace plova
