#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/AppPaths.h"

namespace plova {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;

std::filesystem::path userFolder(const char* xdgVar, const char* fallbackBelowHome) {
    if (const char* v = std::getenv(xdgVar); v && *v) return std::filesystem::path(v) / "plova";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / fallbackBelowHome / "plova";
    return std::filesystem::temp_directory_path() / "plova";
}

}  // namespace

const char* const kScratchBaseVariable = "XDG_CACHE_HOME";
const char* const kStateBaseVariable = "XDG_STATE_HOME";

std::filesystem::path StateFolder() {
    if (const char* v = std::getenv(kStateBaseVariable); v && *v) return std::filesystem::path(v) / "plova";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "state" / "plova";
    return std::filesystem::temp_directory_path() / ("plova-" + std::to_string(::geteuid())) / "state";
}

std::string ComputerUserName() {
    // The account database first: USER may be unset (cron) or set by hand.
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    if (const char* v = std::getenv("USER"); v && *v) return v;
    if (const char* v = std::getenv("LOGNAME"); v && *v) return v;
    return {};
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::current_path(ec) / "plova";
    std::filesystem::path dir = exe.parent_path();
    return dir / "";  // keeps the trailing separator, as callers join names straight on
}

bool CanWriteIn(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

std::filesystem::path UserSettingsFolder() {
    auto dir = userFolder("XDG_CONFIG_HOME", ".config");
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path ScratchFolder() {
    // Always the user's own folder, never beside the executable or in a
    // folder others share: what is written here is opened again by name.
    std::filesystem::path dir;
    if (const char* v = std::getenv(kScratchBaseVariable); v && *v)
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

std::optional<std::filesystem::path> EnvironmentPath(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return std::nullopt;
    return std::filesystem::path(v);
}

void SetEnvironmentPath(const char* name, const std::optional<std::filesystem::path>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace plova
