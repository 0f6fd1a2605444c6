#include "platform/AppPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace plova {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;

bool writable(const std::filesystem::path& dir) {
    return ::access(dir.c_str(), W_OK) == 0;
}

std::filesystem::path userFolder(const char* xdgVar, const char* fallbackBelowHome) {
    if (const char* v = std::getenv(xdgVar); v && *v) return std::filesystem::path(v) / "plova";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / fallbackBelowHome / "plova";
    return std::filesystem::temp_directory_path() / "plova";
}

// A settings file kept as a link (into a folder of dotfiles, say) is read and
// written at its target, so the link stays a link.
std::filesystem::path followLink(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(file, ec)) return file;
    std::filesystem::path target = std::filesystem::canonical(file, ec);
    return ec ? file : target;
}

}  // namespace

std::filesystem::path executableFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::current_path(ec) / "plova";
    std::filesystem::path dir = exe.parent_path();
    return dir / "";  // keeps the trailing separator, as callers join names straight on
}

bool isInstalledLayout(const std::filesystem::path& exeFolder) {
    std::error_code ec;
    const auto folder = exeFolder.has_filename() ? exeFolder : exeFolder.parent_path();
    return std::filesystem::is_directory(folder.parent_path() / "share" / "plova", ec);
}

bool keepsFilesBeside(const std::filesystem::path& exeFolder) {
    return !isInstalledLayout(exeFolder) && writable(exeFolder);
}

std::optional<std::string> optionValue(const std::vector<std::string>& args, const std::string& option) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option) return args[i + 1];
    const std::string prefix = option + "=";
    for (const auto& a : args)
        if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
    return std::nullopt;
}

std::filesystem::path settingsPath(const std::vector<std::string>& args, const std::string& fileName) {
    if (auto v = optionValue(args, "--settings")) return followLink(std::filesystem::absolute(*v));
    const auto exeDir = executableFolder();
    if (keepsFilesBeside(exeDir)) return followLink(exeDir / fileName);
    auto dir = userFolder("XDG_CONFIG_HOME", ".config");
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return followLink(dir / fileName);
}

std::filesystem::path scratchFolder() {
    // Always the user's own folder, never beside the executable or in a
    // folder others share: what is written here is opened again by name.
    std::filesystem::path dir;
    if (const char* v = std::getenv("XDG_CACHE_HOME"); v && *v)
        dir = std::filesystem::path(v) / "plova";
    else if (const char* home = std::getenv("HOME"); home && *home)
        dir = std::filesystem::path(home) / ".cache" / "plova";
    else
        dir = std::filesystem::temp_directory_path() / ("plova-" + std::to_string(::geteuid()));
    std::error_code ec;
    std::filesystem::create_directories(dir.parent_path(), ec);
    ::mkdir(dir.c_str(), kPrivateFolderMode);
    // Only a folder of our own (not a link, not someone else's) will do.
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return {};
    return dir / "";
}

}  // namespace plova
