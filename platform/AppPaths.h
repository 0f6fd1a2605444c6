// Where the program's own files live.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plova {

// The folder of the running executable, with a trailing separator.
std::filesystem::path ExecutableFolder();

// Whether the executable in `exeFolder` is installed: under a prefix (its
// data folder "<prefix>/share/plova" exists beside "<prefix>/bin"), or by the
// Windows setup program (its mark kInstalledMark lies beside the executable).
// An installed program keeps its files in the per-user folders, even when it
// could write beside itself (run as root or an administrator); a build or a
// copied folder is portable and keeps them beside the executable.
bool IsInstalledLayout(const std::filesystem::path& exeFolder);

// The file the Windows setup program leaves beside the executable.
extern const char* const kInstalledMark;

// Whether this process can make files in `folder`.
bool CanWriteIn(const std::filesystem::path& folder);

// Whether the program's own files go beside the executable in `exeFolder`:
// a portable program whose folder is writable.
bool KeepsFilesBeside(const std::filesystem::path& exeFolder);

// The per-user folder of the settings file, made when missing:
// $XDG_CONFIG_HOME/plova (~/.config/plova) on Linux, %APPDATA%\PLOVA on Windows.
std::filesystem::path UserSettingsFolder();

// The settings file: the `--settings FILE` argument when given; else
// `fileName` beside the executable when it keeps its files there; else the
// per-user settings folder. A settings file that is a link gives the link's
// target, where it is read and written.
std::filesystem::path SettingsPath(const std::vector<std::string>& args, const std::string& fileName = "PLOVA.ini");

// Where transient files go (the import's intermediate WAV files): the
// per-user cache folder ($XDG_CACHE_HOME/plova, ~/.cache/plova; on Windows
// %LOCALAPPDATA%\PLOVA), made readable by its owner only when it is made;
// empty when that is not a folder of the user's own.
std::filesystem::path ScratchFolder();

// The environment variable that names the folder ScratchFolder() lies in, for
// tests that move it.
extern const char* const kScratchBaseVariable;

// Where the program keeps what it records of its own work (the operations
// log): $XDG_STATE_HOME/plova (~/.local/state/plova) on Linux,
// %LOCALAPPDATA%\PLOVA on Windows. Not made here: a run that records nothing
// leaves no folder behind.
std::filesystem::path StateFolder();
// The environment variable that names the folder StateFolder() lies in, for
// tests that move it.
extern const char* const kStateBaseVariable;

// The name of the user this process runs as on this computer ("" when the
// system cannot tell).
std::string ComputerUserName();

// An environment variable as a path (read in its wide form on Windows, so any
// name survives); nothing when it is unset or empty.
std::optional<std::filesystem::path> EnvironmentPath(const char* name);
// Sets an environment variable of this process to a path; nothing removes it.
void SetEnvironmentPath(const char* name, const std::optional<std::filesystem::path>& value);

// The program's arguments in UTF-8. On Windows they are read from the wide
// command line: `argv` there is in the ANSI code page and loses Japanese names.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// The value following `option` in `args`, if any.
std::optional<std::string> OptionValue(const std::vector<std::string>& args, const std::string& option);

}  // namespace plova
