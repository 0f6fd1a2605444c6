// The WAV and WMA copies that conversion and import leave beside messages.
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

// The extension of an audio copy, in any case: ".wav" and ".wma" only. The
// extension is what follows the last dot, so "x.wav.vmdat" is no audio copy.
bool isAudioName(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string ext(name.substr(dot));
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".wav" || ext == ".wma";
}

// The audio copies of a folder, not following a link at its last component:
// regular files as the folder itself holds them (a link under an audio name
// is not one).
std::vector<fs::path> audioFiles(const fs::path& folder) {
    std::vector<fs::path> out;
    const auto entries = ListFolder(folder, Links::Refuse);
    if (!entries) return out;
    for (const FolderEntry& e : *entries)
        if (e.type == fs::file_type::regular && isAudioName(Utf8Of(e.name))) out.push_back(folder / e.name);
    return out;
}

}  // namespace

bool CFileMng::HasAudioFiles(const fs::path& folder) {
    return !audioFiles(folder).empty();
}

void CFileMng::DeleteAudioFiles(const fs::path& folder) {
    // A file, never a folder; a link that took a copy's name meanwhile goes as a link.
    for (const fs::path& file : audioFiles(folder)) RemoveFileOrLink(file);
}

}  // namespace plova
