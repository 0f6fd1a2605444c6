// Small file operations the message store's procedures share.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova::store {

// Paths reach us with doubled separators when a caller joined a folder that
// already ended in one; each pair counts as one.
inline std::filesystem::path CollapseDoubledSeparators(const std::filesystem::path& path) {
    using Name = std::filesystem::path::string_type;
    const Name doubled(2, std::filesystem::path::preferred_separator);
    Name s = path.native();
    for (std::size_t at = s.find(doubled); at != Name::npos; at = s.find(doubled, at + 1)) s.erase(at, 1);
    return std::filesystem::path(s);
}

// Removes a file of ours, quietly: one that cannot go stays, and so does a
// folder that happens to bear its name.
inline void RemoveFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(file, ec))) std::filesystem::remove(file, ec);
}

// Something bears the name: a file, a folder, or a link, dangling or not.
inline bool SomethingAt(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec)) && !ec;
}

// A whole message file is here: a regular file with a valid status record
// and, where the listing gave its size (`listedSize` ≥ 0), that many bytes
// behind the record. Anything else (torn by a crash or by a second run, a
// zeroed record, a file of another length, not a message at all) is to be
// fetched again.
inline bool IsCompleteMessage(const std::filesystem::path& file, std::int64_t listedSize = -1) {
    std::error_code ec;
    if (std::filesystem::symlink_status(file, ec).type() != std::filesystem::file_type::regular) return false;
    if (listedSize >= 0) {
        const std::uintmax_t length = std::filesystem::file_size(file, ec);
        if (ec || length != static_cast<std::uintmax_t>(listedSize) + kBlockOffset) return false;
    }
    return CFileMng::IsValidMessageFile(file);
}

// The box folder a message file lies in: three levels up from a box's
// message ("<box folder>/rusuroku/0001/x.vmdat"), two from a system response
// message ("<box folder>/outou/x.vmdat").
inline std::filesystem::path BoxFolderOfMessage(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path();
    if (NameText(folder.filename()) == kResponseFolder) return folder.parent_path();
    return folder.parent_path().parent_path();
}

// The file's extension in lower case: audio copies come as ".WAV" or ".wav".
inline std::string LowerCaseExtension(const std::filesystem::path& file) {
    std::string extension = Utf8Of(file.extension());
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The files beside a message with its name and the extension `lowerExtension`
// (".wav", ".wma") in any case: an imported message's own audio copy is named
// ".WAV", and file names here are case-sensitive. The message's own extension
// (".vmdat", ".vminf") does not matter.
inline std::vector<std::filesystem::path> CompanionFiles(const std::filesystem::path& messageFile,
                                                         std::string_view lowerExtension) {
    std::vector<std::filesystem::path> found;
    const std::filesystem::path::string_type stem = messageFile.stem().native();
    std::error_code ec;
    const std::filesystem::path folder = messageFile.has_parent_path() ? messageFile.parent_path() : ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::filesystem::path& p = entry.path();
        if (LowerCaseExtension(p) == lowerExtension && p.stem().native() == stem) found.push_back(p);
    }
    std::sort(found.begin(), found.end());
    return found;
}

inline std::vector<std::filesystem::path> WavFilesOf(const std::filesystem::path& messageFile) {
    return CompanionFiles(messageFile, ".wav");
}

// The audio copies of a message that bears `voiceFile`'s name: its WAV and WMA
// files in any case, except `keep`.
inline void RemoveAudioCopies(const std::filesystem::path& voiceFile, const std::filesystem::path& keep = {}) {
    for (const std::string_view extension : {".wav", ".wma"})
        for (const auto& copy : CompanionFiles(voiceFile, extension))
            if (copy != keep) RemoveFile(copy);
}

// Removes a message with its WAV and WMA files beside it.
inline void RemoveMessageAndAudioCopies(const std::filesystem::path& voiceFile) {
    RemoveFile(voiceFile);
    RemoveAudioCopies(voiceFile);
}

}  // namespace plova::store
