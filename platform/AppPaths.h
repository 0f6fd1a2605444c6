// Where the program's own files live.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plova {

// The folder of the running executable, with a trailing separator.
std::filesystem::path executableFolder();

// The settings file: the `--settings FILE` argument when given; else
// `fileName` beside the executable when that folder is writable (a portable
// install); else the per-user configuration folder.
std::filesystem::path settingsPath(const std::vector<std::string>& args, const std::string& fileName = "PLOVA.ini");

// Where transient files go ("wave_tmp.wav"): beside the executable when that
// folder is writable, else the per-user cache folder.
std::filesystem::path scratchFolder();

// The value following `option` in `args`, if any.
std::optional<std::string> optionValue(const std::vector<std::string>& args, const std::string& option);

}  // namespace plova
