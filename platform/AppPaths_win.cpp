// windows.h first: the headers below build on it.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <stdlib.h>

#include <system_error>

#include "platform/AppPaths.h"
#include "platform/File.h"
#include "platform/Win32.h"

namespace plova {
namespace {

// The program's folders under the user's profile: "%APPDATA%\PLOVA" for the
// settings, "%LOCALAPPDATA%\PLOVA" for what stays on this machine.
constexpr wchar_t kAppFolder[] = L"PLOVA";
constexpr char kRoamingVariable[] = "APPDATA";

// The folder an environment variable names, else the one Windows knows.
std::filesystem::path profileFolder(const char* variable, REFKNOWNFOLDERID known) {
    if (auto named = EnvironmentPath(variable)) return *named;
    wchar_t* folder = nullptr;
    std::filesystem::path found;
    if (SHGetKnownFolderPath(known, KF_FLAG_CREATE, nullptr, &folder) == S_OK) found = folder;
    CoTaskMemFree(folder);
    return found.empty() ? std::filesystem::temp_directory_path() : found;
}

}  // namespace

const char* const kScratchBaseVariable = "LOCALAPPDATA";
const char* const kStateBaseVariable = "LOCALAPPDATA";

std::filesystem::path StateFolder() {
    return profileFolder(kStateBaseVariable, FOLDERID_LocalAppData) / kAppFolder;
}

std::string ComputerUserName() {
    wchar_t name[257] = {};  // UNLEN + 1
    DWORD size = sizeof name / sizeof name[0];
    if (GetUserNameW(name, &size) && size > 0) return win::Utf8(std::wstring_view(name, size - 1));
    if (auto v = EnvironmentPath("USERNAME")) return win::Utf8(v->native());
    return {};
}

std::filesystem::path ExecutableFolder() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (length == 0) return std::filesystem::current_path() / "";
        if (length < exe.size()) {
            exe.resize(length);
            break;
        }
        exe.resize(exe.size() * 2);  // cut short: a path longer than the buffer
    }
    return std::filesystem::path(exe).parent_path() / "";
}

bool CanWriteIn(const std::filesystem::path& folder) {
    // Windows' access rules are too many to read off: the folder is asked by
    // making a file there.
    std::optional<TempFile> probe = CreateTempFile(folder);
    if (!probe) return false;
    probe->handle.Close();
    RemoveFileOrLink(probe->path);
    return true;
}

std::filesystem::path UserSettingsFolder() {
    const auto dir = profileFolder(kRoamingVariable, FOLDERID_RoamingAppData) / kAppFolder;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path ScratchFolder() {
    // The profile's folders are the user's own by their access rules; a link
    // or junction under the program's name is not taken.
    const auto dir = profileFolder(kScratchBaseVariable, FOLDERID_LocalAppData) / kAppFolder;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (EntryType(dir) != std::filesystem::file_type::directory) return {};
    return dir / "";
}

std::optional<std::filesystem::path> EnvironmentPath(const char* name) {
    const wchar_t* v = _wgetenv(win::Wide(name).c_str());
    if (v == nullptr || *v == L'\0') return std::nullopt;
    return std::filesystem::path(v);
}

void SetEnvironmentPath(const char* name, const std::optional<std::filesystem::path>& value) {
    // An empty value removes the variable.
    _wputenv_s(win::Wide(name).c_str(), value ? value->c_str() : L"");
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(win::Utf8(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace plova
