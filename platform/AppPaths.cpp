// Where the program's files live, alike on every system; the system's folders
// are in AppPaths_posix.cpp and AppPaths_win.cpp.
#include "platform/AppPaths.h"

#include <system_error>

#include "platform/File.h"
#include "platform/Text.h"

namespace plova {
namespace {

// A settings file kept as a link (into a folder of dotfiles, say) is read and
// written at its target, so the link stays a link.
std::filesystem::path followLink(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(file, ec)) return file;
    std::filesystem::path target = std::filesystem::canonical(file, ec);
    return ec ? file : target;
}

}  // namespace

const char* const kInstalledMark = "installed-by-setup.txt";

bool IsInstalledLayout(const std::filesystem::path& exeFolder) {
    std::error_code ec;
    const auto folder = exeFolder.has_filename() ? exeFolder : exeFolder.parent_path();
    return std::filesystem::is_directory(folder.parent_path() / "share" / "plova", ec) ||
           std::filesystem::is_regular_file(folder / kInstalledMark, ec);
}

bool KeepsFilesBeside(const std::filesystem::path& exeFolder) {
    return !IsInstalledLayout(exeFolder) && CanWriteIn(exeFolder);
}

std::optional<std::string> OptionValue(const std::vector<std::string>& args, const std::string& option) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option) return args[i + 1];
    const std::string prefix = option + "=";
    for (const auto& a : args)
        if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
    return std::nullopt;
}

std::filesystem::path SettingsPath(const std::vector<std::string>& args, const std::string& fileName) {
    if (auto v = OptionValue(args, "--settings")) return followLink(AbsolutePath(PathFromUtf8(*v)));
    const auto exeDir = ExecutableFolder();
    if (KeepsFilesBeside(exeDir)) return followLink(exeDir / fileName);
    return followLink(UserSettingsFolder() / fileName);
}

}  // namespace plova
