// Where the program's own files live.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plova {

// The folder of the running executable, with a trailing separator.
std::filesystem::path executableFolder();

// Whether the executable in `exeFolder` is installed under a prefix (its
// data folder "<prefix>/share/plova" exists beside "<prefix>/bin"). An
// installed program keeps its files in the per-user folders, even when it
// could write beside itself (run as root); a build or a copied folder is
// portable and keeps them beside the executable.
bool isInstalledLayout(const std::filesystem::path& exeFolder);

// Whether the program's own files go beside the executable in `exeFolder`:
// a portable program whose folder is writable.
bool keepsFilesBeside(const std::filesystem::path& exeFolder);

// The settings file: the `--settings FILE` argument when given; else
// `fileName` beside the executable when it keeps its files there; else the
// per-user configuration folder. A settings file that is a link gives the
// link's target, where it is read and written.
std::filesystem::path settingsPath(const std::vector<std::string>& args, const std::string& fileName = "PLOVA.ini");

// Where transient files go (the import's intermediate WAV files): the
// per-user cache folder, made readable by its owner only when it is made;
// empty when that is not a folder of the user's own.
std::filesystem::path scratchFolder();

// The value following `option` in `args`, if any.
std::optional<std::string> optionValue(const std::vector<std::string>& args, const std::string& option);

}  // namespace plova
