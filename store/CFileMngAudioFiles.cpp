// The WAV and WMA copies that conversion and import leave beside messages.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

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

// The folder opened without following a link at its last component, and its
// audio copies: regular files as the folder itself holds them (a link under
// an audio name is not one).
class AudioFolder {
public:
    explicit AudioFolder(const fs::path& folder) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return;
        dir_ = ::fdopendir(fd);
        if (dir_ == nullptr) ::close(fd);
    }
    ~AudioFolder() {
        if (dir_) ::closedir(dir_);
    }
    AudioFolder(const AudioFolder&) = delete;
    AudioFolder& operator=(const AudioFolder&) = delete;

    std::vector<std::string> AudioFiles() {
        std::vector<std::string> out;
        if (!dir_) return out;
        for (const dirent* d = ::readdir(dir_); d != nullptr; d = ::readdir(dir_)) {
            if (!isAudioName(d->d_name)) continue;
            struct stat st {};
            if (::fstatat(::dirfd(dir_), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
                out.emplace_back(d->d_name);
        }
        return out;
    }
    // Removes one entry of this folder, never a folder.
    void Remove(const std::string& name) { ::unlinkat(::dirfd(dir_), name.c_str(), 0); }

private:
    DIR* dir_ = nullptr;
};

}  // namespace

bool CFileMng::HasAudioFiles(const fs::path& folder) {
    AudioFolder dir(folder);
    return !dir.AudioFiles().empty();
}

void CFileMng::DeleteAudioFiles(const fs::path& folder) {
    AudioFolder dir(folder);
    for (const std::string& name : dir.AudioFiles()) dir.Remove(name);
}

}  // namespace plova
